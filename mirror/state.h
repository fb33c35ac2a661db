// The state file of a mirror folder: per object and folder, what the
// calculator and the PC held at the last pull or push. Keys are relative
// paths of caret-notation names ("WORK/NOTE"), as the PC spells them.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace bridgit::mirror {

inline constexpr const char* kStateFileName = ".bridgit-mirror";

struct TStateEntry {
  bool folder = false;
  std::string file;     // relative PC path, extension included (objects)
  std::string calcSig;  // type, size and the calculator's checksum
  std::string pcHash;   // hash of the file's bytes
  bool operator==(const TStateEntry&) const = default;
};

inline TStateEntry FolderState() {
  TStateEntry e;
  e.folder = true;
  return e;
}

struct TState {
  std::string folder = "HOME";  // the calculator folder mirrored, "HOME/A/B"
  std::map<std::string, TStateEntry> entries;
  bool operator==(const TState&) const = default;
};

std::string FormatState(const TState& state);
// Nothing when the text is not a state file of this format.
std::optional<TState> ParseState(const std::string& text);

// 64-bit FNV-1a of the bytes, as 16 hex digits.
std::string HashBytes(const std::string& bytes);

}  // namespace bridgit::mirror
