// The session's limits and refusals: a calculator whose answers keep coming
// damaged, the other server program, an automatic choice with no port to try,
// and a manual operation on the "AUTO" port.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "base/log.h"
#include "link/comm_error.h"
#include "link/comm_port.h"
#include "session/xmodem_server.h"
#include "support/calcsim_process.h"
#include "support/pty_pair.h"
#include "support/session_fixture.h"
#include "support/temp_dir.h"

namespace bridgit {
namespace {

// "12." as an answer packet: length 00 03, the text, its sum 0x31 + 0x32 + 0x2E.
const std::string kAnswer("\x00\x03" "12." "\x91", 6);
// The same with its checksum byte one off.
const std::string kDamaged("\x00\x03" "12." "\x92", 6);

std::vector<std::string> LogLines(const std::string& prefix) {
  std::vector<std::string> lines;
  for (const auto& l : TLogBook::Instance().Lines())
    if (l.starts_with(prefix)) lines.push_back(l);
  return lines;
}

class ConnectionRules : public test::TSessionFixture {};

TEST_F(ConnectionRules, FiveDamagedAnswersAreAskedAgainTheSixthEndsTheSession) {
  test::TPtyPair pty;
  OpenComm(pty.path(), 115200);
  server->PortName = pty.path();
  host.SetConnected(true);
  std::string replies;
  std::string got;
  std::thread calculator([&] {
    for (int i = 0; i < 5; ++i) {
      pty.Write(kDamaged);
      replies += pty.Read(1, 5000);
    }
    pty.Write(kAnswer);
    replies += pty.Read(1, 5000);
  });
  try {
    got = server->ReceiveCommandPacket();
  } catch (...) {
  }
  calculator.join();
  EXPECT_EQ(got, "12.");
  EXPECT_EQ(replies, "\x15\x15\x15\x15\x15\x06");
  EXPECT_EQ(LogLines("Rx Cmnd Packet Error #"),
            (std::vector<std::string>{"Rx Cmnd Packet Error #1", "Rx Cmnd Packet Error #2", "Rx Cmnd Packet Error #3",
                                      "Rx Cmnd Packet Error #4", "Rx Cmnd Packet Error #5"}));
  EXPECT_TRUE(host.Connected());

  TLogBook::Instance().Clear();
  replies.clear();
  std::thread damaged([&] {
    for (int i = 0; i < 6; ++i) {
      pty.Write(kDamaged);
      replies += pty.Read(1, 5000);
    }
  });
  try {
    server->ReceiveCommandPacket();
    ADD_FAILURE() << "a sixth damaged answer was taken";
  } catch (const TConnectionError& e) {
    EXPECT_STREQ(e.what(), "Connection Error.\r\nPlease check your connections.");
  }
  damaged.join();
  EXPECT_EQ(replies, std::string(6, '\x15'));
  EXPECT_EQ(LogLines("Rx Cmnd Packet Error #").size(), 6u);
  EXPECT_EQ(LogLines("CRC problem ").size(), 6u);
  EXPECT_FALSE(host.Connected());
}

TEST_F(ConnectionRules, TheOtherServerProgramIsNamedInTheMessage) {
  sim = std::make_unique<test::TCalcSim>(std::vector<std::string>{"--server", "kermit"});
  server->Speed = "9600";
  try {
    server->Connect(sim->PcPath());
    ADD_FAILURE() << "connected to the other server";
  } catch (const TCommError& e) {
    EXPECT_EQ(std::string(e.what()), "Error (The connectivity kit is unable to open communications to:" + sim->PcPath() + ")");
  }
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].first, "Wrong Server");
  EXPECT_EQ(host.Messages()[0].second,
            "Calculator is using the Kermit Server.\n\r\n\rStop the calculator.\n\r"
            "Be sure to release the right-shift before pressing right-arrow.");
  EXPECT_FALSE(host.Connected());
  EXPECT_TRUE(server->PortName.empty());
  EXPECT_EQ(LogLines("First = ").size(), 1u);
  EXPECT_EQ(LogLines("First = ")[0], "First = 01");
}

TEST_F(ConnectionRules, AutomaticChoiceWithNoPortToTry) {
  test::TTempDir emptyUsbRoot;
  ::setenv("BRIDGIT_EXTRA_PORTS", "", 1);
  ::setenv("BRIDGIT_USB_ROOT", emptyUsbRoot.path().c_str(), 1);
  server->Speed = "9600";
  std::string error;
  try {
    server->Connect("Auto");
  } catch (const TCommError& e) {
    error = e.what();
  }
  ::unsetenv("BRIDGIT_EXTRA_PORTS");
  ::unsetenv("BRIDGIT_USB_ROOT");
  EXPECT_EQ(error, "Error (No device detected. Check the cable connections and the calculator.)");
  EXPECT_EQ(server->Status, "No device detected. Check the cable connections and the calculator.");
  EXPECT_FALSE(host.Connected());
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ConnectionRules, AManualOperationCannotUseTheAutomaticPort) {
  server->Speed = "9600";
  for (const std::string name : {"AUTO", "auto"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(server->OpenDirect(name));
    EXPECT_EQ(CommPort().ReadHandle, -1) << "nothing is opened";
  }
  ASSERT_EQ(host.Messages().size(), 2u);
  EXPECT_EQ(host.Messages()[0], (std::pair<std::string, std::string>{"Com Setting Error", "Com port cannot be auto for this operation"}));
}

}  // namespace
}  // namespace bridgit
