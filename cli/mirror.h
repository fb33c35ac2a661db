// pull and push: a calculator folder mirrored as a PC folder. Objects become
// .txt files (types whose text copy compiles back to the same object) or .zq
// object files; a state file in the PC folder records both sides at the last
// run, so that only what changed moves and a change made on the other side is
// never overwritten unasked.
#pragma once

#include <ostream>
#include <string>

#include "cli/mirror_plan.h"
#include "cli/mirror_state.h"
#include "session/xmodem_server.h"

namespace bridgit::cli::mirror {

enum class TForm { kAuto, kText, kBinary };

struct TMirrorOptions {
  std::string dir;
  std::string folder = "";  // empty: the state file's, else HOME
  TForm form = TForm::kAuto;
  bool forcePc = false;
  bool forceCalc = false;
  bool remove = false;
  bool dryRun = false;
  bool quiet = false;
};

// Types written as text by default: their text copy compiles back to the
// same object (Real, String, List, program, Algebraic).
bool TextByDefault(int typeIcon);

// What a run did, for the caller and the benchmarks.
struct TMirrorReport {
  std::size_t moved = 0;      // objects fetched or sent
  unsigned long long bytes = 0;
  std::size_t conflicts = 0;
  std::size_t failures = 0;
};

class TMirror {
 public:
  TMirror(TXModemServer& server, TSessionHost& host, std::ostream& out, std::ostream& progress, TMirrorOptions options);
  // Throws on a failure that stops the run; conflicts and objects that could
  // not be moved are counted in the report.
  TMirrorReport Run(TDirection direction);

 private:
  struct TRun;
  TXModemServer& server_;
  TSessionHost& host_;
  std::ostream& out_;
  std::ostream& progress_;
  TMirrorOptions options_;
};

}  // namespace bridgit::cli::mirror
