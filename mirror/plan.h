// What a pull or a push does with each object and folder, decided from the
// state file and what the two sides hold now. Pure: no link, no files.
//
// A pull copies from the calculator (the source) to the PC (the target); a
// push the other way. A side "changed" an entry when its signature differs
// from the state's; an entry new on both sides, or changed on both, is
// compared by content before it counts as a conflict.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "mirror/state.h"

namespace bridgit::mirror {

enum class TDirection { kPull, kPush };

// One entry as one side holds it now.
struct TSideEntry {
  bool folder = false;
  std::string sig;   // calculator: type, size and checksum; PC: hash of the file
  std::string file;  // PC side: relative path with extension
};
using TSide = std::map<std::string, TSideEntry>;

inline TSideEntry FolderSide(std::string file = "") {
  TSideEntry e;
  e.folder = true;
  e.file = std::move(file);
  return e;
}

struct TPlanOptions {
  bool forceSource = false;  // on a conflict the source wins
  bool forceTarget = false;  // on a conflict the target wins: nothing moves
  bool remove = false;       // apply deletions made on the source
};

enum class TAction {
  kNone,           // the same on both sides
  kCopy,           // source to target
  kCompare,        // both sides new or changed: fetch and compare, then decide
  kMakeFolder,     // create the folder on the target
  kRemove,         // delete on the target (made on the source)
  kForget,         // gone from both sides: drop from the state
  kKeepTarget,     // conflict decided for the target: the source's version counts as seen
  kConflict,       // changed on both sides, or deleted on one and changed on the other
  kRemovedSource,  // deleted on the source; listed, removed only when asked
  kRemovedTarget,  // deleted on the target: the other direction's business
  kTargetChanged,  // changed or new on the target only: the other direction's business
};

struct TStep {
  std::string key;
  bool folder = false;
  TAction action = TAction::kNone;
};

// Steps in key order (a folder before what it holds).
std::vector<TStep> MakePlan(TDirection direction, const TState& state, const TSide& calc, const TSide& pc,
                            const TPlanOptions& options);

// How a compared entry ends: `same` is whether the target's content equals the source's.
TAction DecideCompared(bool same, const TPlanOptions& options);

}  // namespace bridgit::mirror
