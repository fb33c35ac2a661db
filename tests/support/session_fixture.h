// A session with a recording host, made fresh for each test, and the
// simulator it talks to once the test starts one.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
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
  void TearDown() override { server.reset(); }
  // A simulator, and the PC's line at `speed`; at the fast speed with the fast
  // line's shorter pauses, where the pace is not what is tested.
  void Start(std::vector<std::string> args, const std::string& speed = "115200") {
    if (speed == "115200" && std::find(args.begin(), args.end(), "--speed") == args.end())
      args.insert(args.end(), {"--speed", "115200"});
    sim = std::make_unique<TCalcSim>(std::move(args));
    ASSERT_FALSE(sim->PcPath().empty());
    server->Channel().SetSpeed(speed);
  }

  TRecordingHost host;
  std::unique_ptr<TXModemServer> server;
  std::unique_ptr<TCalcSim> sim;
};

}  // namespace bridgit::test
