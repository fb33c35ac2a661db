// How every session operation runs a transfer thread: start it, wait in the
// progress dialog (which runs the thread's hand-overs), ask it to end, let it
// finish, then read its result.
#pragma once

#include <string>

#include "host/comm_status.h"
#include "transfer/transfer_thread.h"

namespace bridgit {

// Returns the progress dialog's modal result: kModalOk when the transfer
// finished, kModalCancel when the user cancelled (the thread then ends through
// the fatal path). The thread has ended when this returns.
TModalResult RunTransfer(TTransferThread& thread, TCommStatusDialog& dialog, const std::string& caption,
                bool cancelVisible = true);

// A status callback that forwards to the dialog.
TStatusCallback ForwardTo(TCommStatusDialog& dialog);

}  // namespace bridgit
