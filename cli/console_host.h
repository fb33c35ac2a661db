// The session host of the command line: questions answered by the options
// (--yes, --replace, --no-replace) or asked on the terminal, a progress bar on
// standard error, Ctrl+C turned into a cancel, and the instructions of the
// calculator-side steps printed for the person at the keys.
#pragma once

#include <atomic>
#include <string>

#include "host/headless_host.h"

namespace bridgit::cli {

struct TConsoleOptions {
  bool yes = false;
  int replace = 0;  // 0: ask, 1: replace, -1: keep
  bool quiet = false;
  int waitSeconds = 120;  // how long to wait for the calculator to start a transfer
};

class TConsoleHost : public THeadlessHost {
 public:
  explicit TConsoleHost(TConsoleOptions options);
  bool ShowPrompt(int kind, const std::string& caption) override;
  void ProcessMessages() override;
  // Ctrl+C: cancels what runs (from the signal handler).
  static void Interrupt();
  static bool Interrupted();
  void FinishProgress();

 private:
  bool AskYesNo(const std::string& question, bool fallback);
  void DrawProgress(const TCommStatusState& s);
  TConsoleOptions options_;
  long long promptDeadline_ = 0;
  bool barShown_ = false;
};

}  // namespace bridgit::cli
