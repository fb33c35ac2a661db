// A session with a recording host, made fresh for each test, the simulator
// it talks to once the test starts one, and a folder for the test's files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

#include "base/log.h"
#include "link/comm_error.h"
#include "link/link.h"
#include "session/xmodem_server.h"
#include "support/calcsim_process.h"
#include "support/error_of.h"
#include "support/recording_host.h"

namespace bridgit::test {

// Environment variables set until the end of the scope, also when a check returns early.
class TScopedEnv {
 public:
  explicit TScopedEnv(std::vector<std::pair<std::string, std::string>> vars) : vars_(std::move(vars)) {
    for (const auto& [name, value] : vars_) ::setenv(name.c_str(), value.c_str(), 1);
  }
  ~TScopedEnv() {
    for (const auto& [name, value] : vars_) ::unsetenv(name.c_str());
  }
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;

 private:
  std::vector<std::pair<std::string, std::string>> vars_;
};

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
  // Connects to the simulator and lists HOME afresh.
  void ConnectAndList() {
    server->Connect(sim->PcPath());
    home = TXPObject();
    home.Name = "HOME";
    server->ListAll(home);
  }
  // HOME's entry called `name`, or null.
  const TXPObject* Item(const std::string& name) const {
    for (const auto& c : home.Children)
      if (c->Name == name) return c.get();
    return nullptr;
  }

  TRecordingHost host;
  TTempDir dir;  // the test's own files; the simulator may keep its memory here
  std::unique_ptr<TXModemServer> server;
  std::unique_ptr<TCalcSim> sim;
  TXPObject home;
};

}  // namespace bridgit::test
