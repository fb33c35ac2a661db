#include "transfer/transfer_starter.h"

#include "base/clock.h"
#include "host/session_host.h"
#include "link/link.h"

namespace bridgit {

namespace {
constexpr TTickMs kAfterDialogPauseMs = 100;
}  // namespace

TModalResult RunTransfer(TTransferThread& thread, TCommStatusDialog& dialog, const std::string& caption, bool cancelVisible) {
  TSessionHost& host = thread.Link().Host();
  dialog.Prepare();
  thread.Start();
  const TModalResult result = dialog.ShowCommStatus(caption, cancelVisible);
  // Always asked: after a cancel this is what stops the thread.
  thread.Terminate();
  const TTickMs until = TickCount() + kAfterDialogPauseMs;
  CountPause(kAfterDialogPauseMs);
  host.ServeUntil([until] { return TickCount() >= until; });
  host.ServeUntil([&thread] { return thread.Finished(); });
  thread.Join();
  return result;
}

TStatusCallback ForwardTo(TCommStatusDialog& dialog) {
  return [&dialog](const std::string& message, int kind, int a, int b, int /*c*/) {
    dialog.UpdateCommStatus(message, kind, b, a);
  };
}

}  // namespace bridgit
