#include "host/headless_host.h"

namespace bridgit {

namespace {
bool IsModelessKind(int kind) { return kind == 1 || kind == 3 || kind == 4 || kind == 10; }
}  // namespace

bool THeadlessHost::ShowMessagePrompt(const std::string& text, const std::string& caption) {
  return questionPolicy_ ? questionPolicy_(text, caption) : false;
}

bool THeadlessHost::ShowPrompt(int kind, const std::string& caption) {
  promptKind_ = kind;
  if (IsModelessKind(kind)) {
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

void THeadlessHost::OnStatusText(const std::string& text) {
  lastStatus_ = text;
  if (statusObserver_) statusObserver_(text);
}

}  // namespace bridgit
