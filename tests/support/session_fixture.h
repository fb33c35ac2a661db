// A session with a recording host, made fresh for each test, and the
// simulator it talks to once the test starts one.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "base/log.h"
#include "link/link.h"
#include "session/xmodem_server.h"
#include "support/calcsim_process.h"
#include "support/recording_host.h"

namespace bridgit::test {

class TSessionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    TLogBook::Instance().Clear();
    server = std::make_unique<TXModemServer>(host);
  }
  void TearDown() override {
    server.reset();
  }

  TRecordingHost host;
  std::unique_ptr<TXModemServer> server;
  std::unique_ptr<TCalcSim> sim;
};

}  // namespace bridgit::test
