// pull and push: a calculator folder mirrored as a PC folder. Objects become
// .txt files (types whose text copy compiles back to the same object) or .zq
// object files; a state file in the PC folder records both sides at the last
// run, so that only what changed moves and a change made on the other side is
// never overwritten unasked.
#pragma once

#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "mirror/plan.h"
#include "mirror/state.h"
#include "session/xmodem_server.h"

namespace bridgit::mirror {

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
  bool json = false;  // what was done as one JSON object at the end, no lines
};

// Types written as text by default: their text copy compiles back to the
// same object (Real, String, List, program, Algebraic).
bool TextByDefault(int typeIcon);

// One thing a run did or left: kind is "fetched", "sent", "deleted",
// "created" (a folder), "conflicts" or "skipped"; reason for the last two.
struct TMirrorItem {
  std::string kind;
  std::string file;
  std::string reason;
};

// What a run did, for the caller and the benchmarks.
struct TMirrorReport {
  std::size_t moved = 0;      // objects fetched or sent
  unsigned long long bytes = 0;
  std::size_t conflicts = 0;
  std::size_t failures = 0;
  std::vector<TMirrorItem> items;
};

// The terminal around a run: `show` gets the line of the object being moved,
// `clear` is called before any other line is written, `warn` gets why an
// object was not moved, and `interrupted` says the person asked to stop.
struct TMirrorConsole {
  std::function<void(const std::string&)> show = [](const std::string&) {};
  std::function<void()> clear = [] {};
  std::function<void(const std::string&)> warn = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
  std::function<bool()> interrupted = [] { return false; };
};

class TMirror {
 public:
  TMirror(TXModemServer& server, TSessionHost& host, std::ostream& out, TMirrorConsole console, TMirrorOptions options);
  // Throws on a failure that stops the run (after Ctrl+C: "cancelled", with
  // the calculator's scratch variables purged while the link still works);
  // conflicts and objects that could not be moved are counted in the report.
  TMirrorReport Run(TDirection direction);

 private:
  TMirrorReport RunOnce(TDirection direction);
  void PurgeScratch();
  TXModemServer& server_;
  TSessionHost& host_;
  std::ostream& out_;
  TMirrorConsole console_;
  TMirrorOptions options_;
};

}  // namespace bridgit::mirror
