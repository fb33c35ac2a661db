#include "cli/console_host.h"

#include <cstdio>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "base/clock.h"
#include "base/console.h"
#include "session/texts.h"
#include "calcdata/text_header.h"
#include "host/prompt_texts.h"
#include "host/texts.h"
#include "cli/texts.h"

namespace bridgit::cli {

namespace {

constexpr int kBarWidth = 30;

std::atomic<bool> g_interrupted{false};
// Read by the interrupt handler: cleared before the host goes away.
std::atomic<TConsoleHost*> g_host{nullptr};

// The instructions of a prompt kind as lines on a terminal (none for kind 0).
// A terminal has no OK button: its line says what happens instead.
std::string Instructions(int kind) {
  std::string text(PromptText(kind, true));
  std::erase(text, '\r');
  while (!text.empty() && text.back() == '\n') text.pop_back();
  if (const std::size_t button = text.find(bridgit::texts::kPromptButtonLine); button != std::string::npos)
    text.replace(button, text.find('\n', button) - button, texts::kPromptWaitLine);
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
bool TConsoleHost::CanAsk() const { return !options_.yes && IsTerminal(TStream::kInput); }

TConsoleHost::TConsoleHost(TConsoleOptions options) : options_(options) {
  PrepareLineReader();
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
  SetBadFilePolicy([this](const std::string& /*name*/, const std::string& question) {
    // Files that are no object file at all (no text header either) go as
    // text; objects of the other family as they are.
    const bool noHeader = question.find("How should") != std::string::npos;
    const std::string text = noHeader ? question + "\r" + texts::NoHeaderLines(MakeTextHeader(3, 'D', '.')) : question;
    const bool asked = CanAsk();
    const bool yes = AskYesNo(text, options_.yes);
    if (!asked) ReportAnswered(text, std::string(bridgit::texts::kBadFileCaption), yes);
    if (!yes) return kModalCancel;
    return noHeader ? kModalText : kModalOk;
  });
  SetProgressObserver([this](const TCommStatusState& s) { DrawProgress(s); });
}

TConsoleHost::~TConsoleHost() { g_host = nullptr; }

void TConsoleHost::Interrupt() {
  g_interrupted = true;
  WakeLineReader();
  if (TConsoleHost* host = g_host) {
    host->RequestCancel();
    host->PressCommandCancel();
  }
}

bool TConsoleHost::Interrupted() { return g_interrupted; }

void TConsoleHost::ThrowIfInterrupted() {
  if (g_interrupted) throw std::runtime_error(texts::kInterrupted);
}

bool TConsoleHost::AskYesNo(const std::string& question, bool fallback) {
  if (options_.yes) return true;
  if (!IsTerminal(TStream::kInput)) return fallback;
  FinishProgress();
  std::string flat = question;
  for (char& c : flat)
    if (c == '\r') c = ' ';
  std::fprintf(stderr, "%s [y/N] ", flat.c_str());
  // Ctrl+C ends the wait and the command.
  const std::optional<std::string> answer = g_interrupted ? std::nullopt : ReadTerminalLine();
  if (g_interrupted) {
    std::fputs("\n", stderr);
    throw std::runtime_error(texts::kInterrupted);
  }
  if (!answer) return false;
  return !answer->empty() && ((*answer)[0] == 'y' || (*answer)[0] == 'Y');
}

void TConsoleHost::ReportAnswered(const std::string& text, const std::string& caption, bool yes) {
  ClearProgress();
  const std::string lines = MessageLines(caption, text + "\n" + std::string(yes ? texts::kAnsweredYes : texts::kAnsweredNo));
  std::fputs(lines.c_str(), stderr);
}

void TConsoleHost::ShowMessage(const std::string& text, const std::string& caption) {
  THeadlessHost::ShowMessage(text, caption);
  ClearProgress();
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

// Progress is for a person watching: none in a pipe, a log or with --quiet.
bool TConsoleHost::Drawing() const { return !options_.quiet && IsTerminal(TStream::kError); }

void TConsoleHost::DrawLine(const std::string& caption, int filled, const std::string& detail) {
  const std::string bar = filled < 0 ? "" : " [" + std::string(static_cast<std::size_t>(filled), '#') +
                                                std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "]";
  std::fprintf(stderr, "\r%s%s%s%s\x1b[K", caption.c_str(), bar.c_str(), detail.empty() ? "" : " ", detail.c_str());
  barShown_ = true;
}

void TConsoleHost::DrawProgress(const TCommStatusState& s) {
  if (!Drawing()) return;
  if (!s.visible()) {
    // The command's line stays for its next object; a lone transfer's ends.
    if (subject_.empty()) FinishProgress();
    return;
  }
  // A transfer through a scratch variable names it in its caption ("Copying
  // $$$t"): the person's own name is the command's, so the scratch goes.
  std::string caption = subject_.empty() ? s.caption() : subject_;
  if (const std::size_t scratch = caption.find("$$$"); scratch != std::string::npos) {
    caption.erase(scratch);
    while (!caption.empty() && caption.back() == ' ') caption.pop_back();
  }
  const int filled = s.maximum() > 0 ? std::min(kBarWidth, s.position() * kBarWidth / std::max(1, s.maximum())) : 0;
  DrawLine(caption, filled, s.message().substr(0, s.message().find('\r')));
}

void TConsoleHost::ShowSubject(const std::string& line) {
  subject_ = line;
  if (Drawing()) DrawLine(subject_, -1, "");
}

void TConsoleHost::ClearProgress() {
  if (barShown_) std::fputs("\r\x1b[K", stderr);
  barShown_ = false;
}

// The line goes when its work is done: what was done is said on standard output.
void TConsoleHost::FinishProgress() {
  ClearProgress();
  subject_.clear();
}

}  // namespace bridgit::cli
