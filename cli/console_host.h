// The session host of the command line: questions answered by the options
// (--yes, --replace, --no-replace) or asked on the terminal, a progress line
// redrawn in place when standard error is a terminal, Ctrl+C turned into a cancel, and the instructions of the
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

// The lines of a message box as written on standard error: "caption: line"
// for each non-empty line of the text (CR, LF and their pairs all break lines).
std::string MessageLines(const std::string& caption, const std::string& text);

class TConsoleHost : public THeadlessHost {
 public:
  explicit TConsoleHost(TConsoleOptions options);
  ~TConsoleHost() override;
  TConsoleHost(const TConsoleHost&) = delete;
  TConsoleHost& operator=(const TConsoleHost&) = delete;
  bool ShowPrompt(int kind, const std::string& caption) override;
  void ProcessMessages() override;
  // A message box: "caption: line" on standard error for each line of its
  // text, also with --quiet (they are warnings and errors).
  void ShowMessage(const std::string& text, const std::string& caption) override;
  // Ctrl+C: cancels what runs (from the signal handler).
  static void Interrupt();
  static bool Interrupted();
  // Throws "interrupted" after Ctrl+C: called before a transfer starts, so
  // that a stop between exchanges leaves the link working.
  static void ThrowIfInterrupted();
  void FinishProgress();
  // The command's own progress line (an object of a pull and how far the run
  // is), shown instead of the transfer's caption until the command finishes.
  void ShowSubject(const std::string& line);
  // Erases the progress line before other output; the next update redraws it.
  void ClearProgress();
  // Replacements the person (or the lack of a terminal) refused; not --no-replace.
  int Declined() const { return declined_; }

 private:
  bool AskYesNo(const std::string& question, bool fallback);
  bool CanAsk() const;
  // A question answered without asking: its text and the answer on standard error.
  void ReportAnswered(const std::string& text, const std::string& caption, bool yes);
  void DrawProgress(const TCommStatusState& s);
  TConsoleOptions options_;
  long long promptDeadline_ = 0;
  bool Drawing() const;
  void DrawLine(const std::string& caption, int filled, const std::string& detail);
  bool barShown_ = false;
  std::string subject_;
  int declined_ = 0;
};

}  // namespace bridgit::cli
