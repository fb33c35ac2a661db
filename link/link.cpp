#include "link/link.h"

#include "base/clock.h"
#include "base/log.h"
#include "link/comm_error.h"
#include "link/texts.h"
#include "link/transfer_files.h"

namespace bridgit {

namespace {
constexpr int kFatalPauseMs = 100;
}  // namespace

void TLink::WindowStep(const std::function<void()>& step) {
  if (host_.OnUiThread())
    step();
  else
    host_.RunOnUiThread(step);
}

void TLink::FatalDisconnect() {
  Log(texts::kLogSeriousError);
  WindowStep([this] {
    TSessionHost& host = Host();
    host.SetConnected(false);
    host.CloseConnectionStatus();
    host.ProcessMessages();
  });
  CloseTransferFiles();
  SleepMs(kFatalPauseMs);
  WindowStep([this] { Host().FocusMainWindow(); });
  throw TConnectionError();
}

}  // namespace bridgit
