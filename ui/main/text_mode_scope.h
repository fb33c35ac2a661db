// Text mode for the life of a scope: Copy as Text and Edit as Text fetch text
// whatever the tool bar's mode, and leave that mode as it was.
#pragma once

#include "host/session_host.h"

namespace bridgit::ui {

class TTextModeScope {
 public:
  explicit TTextModeScope(TSessionHost& host) : host_(host), was_(host.TextMode()) { host_.SetTextMode(true); }
  ~TTextModeScope() { host_.SetTextMode(was_); }
  TTextModeScope(const TTextModeScope&) = delete;
  TTextModeScope& operator=(const TTextModeScope&) = delete;

 private:
  TSessionHost& host_;
  bool was_;
};

}  // namespace bridgit::ui
