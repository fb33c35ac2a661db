#include "cli/console_host.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <stdexcept>

#include "base/clock.h"
#include "host/prompt_texts.h"
#include "host/texts.h"
#include "cli/texts.h"

namespace bridgit::cli {

namespace {

std::atomic<bool> g_interrupted{false};
// Read by the signal handler: cleared before the host goes away.
std::atomic<TConsoleHost*> g_host{nullptr};

// The instructions of a prompt kind as lines on a terminal (none for kind 0).
std::string Instructions(int kind) {
  std::string text(PromptText(kind, true));
  std::erase(text, '\r');
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

}  // namespace

std::string MessageLines(const std::string& caption, const std::string& text) {
  std::string out, line;
  const auto flush = [&] {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (!line.empty()) out += caption + ": " + line + "\n";
    line.clear();
  };
  for (char c : text) {
    if (c == '\r' || c == '\n')
      flush();
    else
      line += c;
  }
  flush();
  return out;
}

// A question reaches the person only on a terminal and without --yes; any
// other answer is shown after it.
bool TConsoleHost::CanAsk() const { return !options_.yes && ::isatty(STDIN_FILENO); }

TConsoleHost::TConsoleHost(TConsoleOptions options) : options_(options) {
  g_host = this;
  SetQuestionPolicy([this](const std::string& text, const std::string& caption) {
    const bool asked = CanAsk();
    const bool yes = AskYesNo(caption + ": " + text, options_.yes);
    if (!asked) ReportAnswered(text, caption, yes);
    return yes;
  });
  SetReplacePolicy([this](const std::string& name, const std::string&) {
    if (options_.replace > 0) return kModalYes;
    if (options_.replace < 0) {
      if (!options_.quiet) std::fprintf(stderr, "%s\n", texts::SkippedExisting(name).c_str());
      return kModalNo;
    }
    const std::string question = "Replace " + name + " on the calculator?";
    const bool asked = CanAsk();
    const bool yes = AskYesNo(question, options_.yes);
    if (!asked) ReportAnswered(question, std::string(bridgit::texts::kReplaceCaption), yes);
    if (!yes) ++declined_;  // a question answered no is a file not sent
    return yes ? kModalYes : kModalNo;
  });
  SetBadFilePolicy([this](const std::string& /*name*/, const std::string& text) {
    const bool asked = CanAsk();
    const bool yes = AskYesNo(text, options_.yes);
    if (!asked) ReportAnswered(text, std::string(bridgit::texts::kBadFileCaption), yes);
    if (!yes) return kModalCancel;
    // Files that are no object file at all go as text; objects of the other
    // family as they are.
    return text.find("How should") != std::string::npos ? -1 : kModalOk;
  });
  SetProgressObserver([this](const TCommStatusState& s) { DrawProgress(s); });
}

TConsoleHost::~TConsoleHost() { g_host = nullptr; }

void TConsoleHost::Interrupt() {
  g_interrupted = true;
  if (TConsoleHost* host = g_host) {
    host->RequestCancel();
    host->PressCommandCancel();
  }
}

bool TConsoleHost::Interrupted() { return g_interrupted; }

bool TConsoleHost::AskYesNo(const std::string& question, bool fallback) {
  if (options_.yes) return true;
  if (!::isatty(STDIN_FILENO)) return fallback;
  FinishProgress();
  std::string flat = question;
  for (char& c : flat)
    if (c == '\r') c = ' ';
  std::fprintf(stderr, "%s [y/N] ", flat.c_str());
  std::string answer;
  // Ctrl+C ends the read (the handler does not restart it) and the command.
  const bool read = static_cast<bool>(std::getline(std::cin, answer));
  if (g_interrupted) {
    std::fputs("\n", stderr);
    throw std::runtime_error(texts::kInterrupted);
  }
  if (!read) return false;
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

void TConsoleHost::ReportAnswered(const std::string& text, const std::string& caption, bool yes) {
  FinishProgress();
  const std::string lines = MessageLines(caption, text + "\n" + std::string(yes ? texts::kAnsweredYes : texts::kAnsweredNo));
  std::fputs(lines.c_str(), stderr);
}

void TConsoleHost::ShowMessage(const std::string& text, const std::string& caption) {
  THeadlessHost::ShowMessage(text, caption);
  FinishProgress();
  std::fputs(MessageLines(caption, text).c_str(), stderr);
}

bool TConsoleHost::ShowPrompt(int kind, const std::string& caption) {
  if (const std::string text = Instructions(kind); !text.empty() && !options_.quiet) std::fprintf(stderr, "%s\n", text.c_str());
  promptDeadline_ = TickCount() + 1000LL * options_.waitSeconds;
  return THeadlessHost::ShowPrompt(kind, caption) || !IsModelessPrompt(kind);
}

void TConsoleHost::ProcessMessages() {
  THeadlessHost::ProcessMessages();
  // A prompt waits for the calculator until Ctrl+C or the waiting time is up.
  if (PromptVisible() && (g_interrupted || TickCount() > promptDeadline_)) SetPromptVisible(false);
}

void TConsoleHost::DrawProgress(const TCommStatusState& s) {
  if (options_.quiet || !::isatty(STDERR_FILENO)) return;
  if (!s.visible()) {
    FinishProgress();
    return;
  }
  const int width = 30;
  const int filled = s.maximum() > 0 ? std::min(width, s.position() * width / std::max(1, s.maximum())) : 0;
  const std::string line = s.message().substr(0, s.message().find('\r'));
  std::fprintf(stderr, "\r%s [%s%s] %s\x1b[K", s.caption().c_str(), std::string(static_cast<std::size_t>(filled), '#').c_str(),
               std::string(static_cast<std::size_t>(width - filled), '.').c_str(), line.c_str());
  barShown_ = true;
}

void TConsoleHost::FinishProgress() {
  if (barShown_) std::fprintf(stderr, "\n");
  barShown_ = false;
}

}  // namespace bridgit::cli
