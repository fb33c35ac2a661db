#include "host/headless_host.h"

#include "host/prompt_kinds.h"
#include "host/texts.h"

namespace bridgit {

bool THeadlessHost::ShowMessagePrompt(const std::string& text, const std::string& caption) {
  return questionPolicy_ ? questionPolicy_(text, caption) : false;
}

bool THeadlessHost::ShowPrompt(int kind, const std::string& caption) {
  promptKind_ = kind;
  if (IsModelessPrompt(kind)) {
    // Stays "on screen" until the waiting operation or HidePrompt hides it.
    promptVisible_ = true;
    if (promptPolicy_) promptPolicy_(kind, caption);
    return false;
  }
  return promptPolicy_ ? promptPolicy_(kind, caption) : false;
}

void THeadlessHost::HidePrompt(int kind) {
  if (kind == promptKind_) promptVisible_ = false;
}

std::unique_ptr<TCommStatusDialog> THeadlessHost::CreateCommStatusDialog() {
  return std::make_unique<THeadlessCommStatus>(*this);
}

// Without a policy a replacement is skipped and a mismatched file not sent:
// nothing is changed that nobody agreed to.
TModalResult THeadlessHost::AskReplace(const std::string& name, int /*count*/) {
  return replacePolicy_ ? replacePolicy_(name, texts::ReplaceQuestion(name)) : kModalNo;
}

TModalResult THeadlessHost::AskBadFile(const std::string& name, const std::string& typeName, bool offer) {
  Beep();
  return badFilePolicy_ ? badFilePolicy_(name, texts::MismatchReport(name, typeName, offer)) : kModalCancel;
}

void THeadlessHost::ShowMessage(const std::string& text, const std::string& caption) {
  messages_.emplace_back(caption, text);
}

void THeadlessHost::ServeUntil(const std::function<bool()>& done) {
  while (!handOver_.ServeUntil(done, 1000)) {
  }
}

TModalResult THeadlessCommStatus::ShowCommStatus(const std::string& caption, bool cancelVisible) {
  if (state_.Open(caption, cancelVisible)) {
    if (host_.progressObserver_) host_.progressObserver_(state_);
    host_.ServeUntil([this] {
      if (state_.visible() && host_.cancelRequested_ && state_.RequestCancel()) host_.cancelRequested_ = false;
      return !state_.visible();
    });
  }
  if (host_.progressObserver_) host_.progressObserver_(state_);
  return state_.result();
}

void THeadlessCommStatus::UpdateCommStatus(const std::string& text, int kind, int maximum, int position) {
  state_.Update(text, kind, maximum, position);
  if (host_.progressObserver_) host_.progressObserver_(state_);
}

void THeadlessHost::OnStatusText(const std::string& text) {
  lastStatus_ = text;
  if (statusObserver_) statusObserver_(text);
}

}  // namespace bridgit
