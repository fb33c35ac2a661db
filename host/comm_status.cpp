#include "host/comm_status.h"

#include "base/log.h"

namespace bridgit {

namespace {
// Status kinds, as the transfer threads post them.
constexpr int kKindProgress = 2;
constexpr int kKindFinished = 3;
constexpr int kKindButton = 4;
}  // namespace

bool TCommStatusState::Open(const std::string& caption, bool cancelVisible) {
  caption_ = caption;
  message_.clear();
  maximum_ = 1;
  position_ = 0;
  cancelVisible_ = cancelVisible;
  cancelEnabled_ = true;
  result_ = kModalNone;
  if (pendingFinish_) {
    pendingFinish_ = false;
    result_ = kModalOk;
    return false;
  }
  visible_ = true;
  return true;
}

void TCommStatusState::Update(const std::string& text, int kind, int maximum, int position) {
  if (!visible_) {
    if (kind == kKindFinished) pendingFinish_ = true;
    return;
  }
  if (!text.empty()) {
    if (kind == kKindProgress) {
      const std::size_t crlf = text.find("\r\n");
      Log(crlf == std::string::npos ? std::string() : text.substr(0, crlf));
    } else {
      Log(text);
    }
  }
  switch (kind) {
    case kKindProgress:
      message_ = text;
      maximum_ = maximum;
      position_ = position;
      break;
    case kKindFinished:
      Close(kModalOk);
      break;
    case kKindButton:
      message_ = text;
      cancelEnabled_ = text == "1";
      break;
    default:
      message_ = text;
      break;
  }
}

bool TCommStatusState::RequestCancel() {
  if (!visible_ || !cancelEnabled_) return false;
  Close(kModalCancel);
  return true;
}

void TCommStatusState::Close(TModalResult result) {
  visible_ = false;
  result_ = result;
}

}  // namespace bridgit
