// A transfer thread on a pseudo-terminal, with the test playing the calculator
// on the other end from a thread of its own.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "base/log.h"
#include "link/comm_port.h"
#include "support/log_lines.h"
#include "support/pty_pair.h"
#include "support/recording_host.h"
#include "transfer/transfer_starter.h"
#include "transfer/xmodem_frame.h"

namespace bridgit::test {

struct TStatus {
  std::string message;
  int kind;
  int a, b;
};

class TransferFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    TLogBook::Instance().Clear();
    link.OpenComm(pty.path(), 115200);
    dialog = host.CreateCommStatusDialog();
  }
  void TearDown() override {
    link.CloseComm();
  }

  // Records every status and forwards it to the progress dialog.
  TStatusCallback Recorder() {
    return [this](const std::string& m, int kind, int a, int b, int) {
      statuses.push_back({m, kind, a, b});
      dialog->UpdateCommStatus(m, kind, b, a);
    };
  }

  // Runs the thread with `calculator` acting on the other end; returns the
  // progress dialog's result.
  int Run(TTransferThread& thread, const std::function<void()>& calculator) {
    std::thread peer(calculator);
    const int result = RunTransfer(thread, *dialog, "Copying test");
    peer.join();
    return result;
  }

  int Count(int kind) const {
    int n = 0;
    for (const auto& s : statuses) n += s.kind == kind ? 1 : 0;
    return n;
  }

  static int LogCount(const std::string& prefix) { return test::LogCount(prefix); }
  std::string ReadByte(int timeoutMs = 5000) { return pty.Read(1, timeoutMs); }

  TRecordingHost host;
  TCommPort link{host};
  TPtyPair pty;
  std::unique_ptr<TCommStatusDialog> dialog;
  std::vector<TStatus> statuses;
};

}  // namespace bridgit::test
