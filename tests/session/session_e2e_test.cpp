// The session against bridgit-calcsim: connection and identification of every
// model on both link kinds, the listing, the variable commands, the pulse.
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/log.h"
#include "link/comm_error.h"
#include "link/comm_port.h"
#include "session/xmodem_server.h"
#include "support/calcsim_process.h"
#include "support/recording_host.h"
#include "support/session_fixture.h"

namespace bridgit {
namespace {

class Session : public test::TSessionFixture {
 protected:
  void Start(std::vector<std::string> args, const std::string& speed = "9600") {
    sim = std::make_unique<test::TCalcSim>(std::move(args));
    ASSERT_FALSE(sim->PcPath().empty());
    server->Speed = speed;
  }
  void Connect() { server->Connect(sim->PcPath()); }
  int LogCount(const std::string& prefix) const {
    int n = 0;
    for (const auto& l : TLogBook::Instance().Lines()) n += l.starts_with(prefix) ? 1 : 0;
    return n;
  }
  // The tree as the simulator's dump writes it (folders with a trailing /).
  static void Flatten(const TXPObject& dir, const std::string& path, std::string& out) {
    for (const auto& c : dir.Children) {
      out += path + "/" + c->Name + (c->IsDirectory() ? "/" : "") + "\n";
      if (c->IsDirectory()) Flatten(*c, path + "/" + c->Name, out);
    }
  }
  static std::string DumpNames(const std::string& dump) {
    std::string out;
    std::size_t at = 0;
    while (at < dump.size()) {
      const std::size_t nl = dump.find('\n', at);
      const std::string line = dump.substr(at, nl - at);
      out += line.substr(0, line.find(' ')) + "\n";
      at = nl + 1;
    }
    return out;
  }

};

TEST_F(Session, IdentifiesTheOlderModel) {
  Start({"--model", "71"});
  Connect();
  EXPECT_TRUE(host.Connected());
  EXPECT_EQ(host.CalculatorModel(), "71");
  EXPECT_EQ(host.DisplayModel(), "71");
  EXPECT_EQ(host.VersionInfo(), "R");
  EXPECT_EQ(host.RequiredSpeed(), 0);
  EXPECT_EQ(CurrentTiming().AfterCommandPacket, SerialSlow.AfterCommandPacket);
  EXPECT_EQ(server->Version, "XModem Server 2.3   ROM: R");
  EXPECT_EQ(sim->Control("dump").find("$$$t"), std::string::npos) << "the scratch variable is gone";
}

TEST_F(Session, IdentifiesTheNewerModelsOnASerialLine) {
  Start({"--model", "73", "--rom-revision", "1.18"}, "19200");
  Connect();
  EXPECT_EQ(host.DisplayModel(), "73");
  EXPECT_EQ(host.VersionInfo(), "1.18");
  EXPECT_EQ(host.RequiredSpeed(), 9600);
  EXPECT_EQ(host.RootCaption(), "HOME (ZQ-73)");
  server->Connect("");
  EXPECT_TRUE(server->PortName.empty());

  Start({"--model", "71GII", "--rom-revision", "2.15"}, "19200");
  Connect();
  EXPECT_EQ(host.CalculatorModel(), "73");
  EXPECT_EQ(host.DisplayModel(), "71GII");
  EXPECT_EQ(host.RequiredSpeed(), 115200);
  EXPECT_EQ(CurrentTiming().AfterCommandPacket, SerialFast.AfterCommandPacket);
}

TEST_F(Session, IdentifiesTheUsbModel) {
  test::TTempDir root;
  ::setenv("BRIDGIT_USB_ROOT", root.path().c_str(), 1);
  Start({"--model", "73G+", "--link", "usb", "--usb-root", root.path().string()});
  Connect();
  EXPECT_EQ(host.DisplayModel(), "73G+");
  EXPECT_EQ(host.RequiredSpeed(), 0);
  EXPECT_EQ(CurrentTiming().AfterPulse, Usb.AfterPulse);
  EXPECT_EQ(server->GetSpeed(), "130000");
  TXPObject home;
  home.Name = "HOME";
  server->ListAll(home);
  EXPECT_FALSE(home.Children.empty());
  ::unsetenv("BRIDGIT_USB_ROOT");
}

TEST_F(Session, ListsChangesAndEvaluates) {
  Start({});
  Connect();
  TXPObject home;
  home.Name = "HOME";
  server->ListAll(home);
  std::string tree;
  Flatten(home, "HOME", tree);
  EXPECT_EQ(tree, DumpNames(sim->Control("dump")));
  TXPObject* work = nullptr;
  for (const auto& c : home.Children)
    if (c->Name == "WORK") work = c.get();
  ASSERT_NE(work, nullptr);
  EXPECT_EQ(work->TypeIcon, kDirectoryIcon);
  EXPECT_EQ(work->Children.size(), 2u);
  EXPECT_EQ(work->Children[0]->FullPath(), "HOME WORK DEEP");
  EXPECT_EQ(home.Children.back()->Name, "A");
  EXPECT_EQ(home.Children.back()->TypeName, "Real");
  EXPECT_EQ(home.Children.back()->Size, 11);
  EXPECT_TRUE(home.Children.back()->OddNibble);

  server->ChangeDir("HOME WORK");
  server->CreateDir("NEWDIR");
  EXPECT_TRUE(server->Purge("NOTE", false));
  server->Execute("7 'SEVEN' STO", true, true);
  server->ChangeDir("HOME");
  EXPECT_TRUE(server->Rename("A", "B", false, &home));
  std::string why;
  EXPECT_FALSE(server->Rename("B", "PROG", false, &home, &why)) << "PROG exists";
  EXPECT_EQ(why, "PROG already exists in this folder.");
  server->Execute("\\->SPEED 2 * 'DOUBLE' STO", true, true);  // evaluating a variable
  const std::string dump = sim->Control("dump");
  EXPECT_NE(dump.find("HOME/WORK/NEWDIR/"), std::string::npos);
  EXPECT_EQ(dump.find("HOME/WORK/NOTE"), std::string::npos);
  EXPECT_NE(dump.find("HOME/WORK/SEVEN Real 11 7."), std::string::npos);
  EXPECT_NE(dump.find("HOME/B Real 11 42."), std::string::npos);
  EXPECT_EQ(dump.find("HOME/A "), std::string::npos);
  EXPECT_NE(dump.find("HOME/DOUBLE Real 11 19200."), std::string::npos);

  // Renaming a folder moves its contents with it.
  server->ChangeDir("HOME");
  EXPECT_TRUE(server->Rename("WORK", "JOB", true, &home));
  EXPECT_NE(sim->Control("dump").find("HOME/JOB/DEEP/Z Real"), std::string::npos);
}

TEST_F(Session, FreeMemoryWithEitherDecimalMark) {
  Start({});
  Connect();
  const std::string free = server->QueryFreeMemory();
  EXPECT_FALSE(free.empty());
  EXPECT_EQ(free.find_first_not_of("0123456789"), std::string::npos) << free;
  server->Execute("-51 SF", true, true);
  Connect();  // the flags are read at connection
  EXPECT_EQ(host.CalculatorFlags(), "01");
  EXPECT_EQ(host.DecimalSeparator(), ',');
  EXPECT_EQ(server->QueryFreeMemory(), free);
}

TEST_F(Session, ThePulseWaitsThroughALongEvaluation) {
  Start({"--eval-ms", "1500"});
  Connect();
  server->Execute("1 'ONE' STO", true, true);
  EXPECT_GE(LogCount("send command = M"), 5);
  EXPECT_NE(sim->Control("dump").find("HOME/ONE"), std::string::npos);
}

TEST_F(Session, SixRefusedPacketsEndTheSessionFiveDoNot) {
  Start({"--fault", "nak:5@1"});
  Connect();
  EXPECT_TRUE(host.Connected());
  EXPECT_EQ(LogCount("Tx Cmnd Packet Error. Rcvd len=1 c=0x15 #"), 5);
  server->Connect("");

  TLogBook::Instance().Clear();
  Start({"--fault", "nak:6@1"});
  try {
    Connect();
    FAIL() << "connected";
  } catch (const TCommError& e) {
    EXPECT_EQ(std::string(e.what()), "Error (The connectivity kit is unable to open communications to:" + sim->PcPath() + ")");
  }
  EXPECT_EQ(LogCount("Tx Cmnd Packet Error"), 6);
  EXPECT_FALSE(host.Connected());
  EXPECT_TRUE(server->PortName.empty());
}

TEST_F(Session, ASilentCalculatorEndsInTheConnectionError) {
  Start({});
  Connect();
  sim->Control("quit-server");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the person's keys come first
  EXPECT_THROW(server->Execute("", false, true), TConnectionError);
  EXPECT_FALSE(host.Connected());
  // A new connection works once the server runs again.
  sim->Control("server");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  Connect();
  EXPECT_TRUE(host.Connected());
}

TEST_F(Session, TheOtherServerAndAutomaticChoice) {
  Start({"--server", "kermit"});
  EXPECT_THROW(Connect(), TCommError);
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].first, "Wrong Server");

  Start({});
  ::setenv("BRIDGIT_EXTRA_PORTS", sim->PcPath().c_str(), 1);
  ::setenv("BRIDGIT_USB_ROOT", sim->dir().path().c_str(), 1);
  server->Connect("auto");
  ::unsetenv("BRIDGIT_EXTRA_PORTS");
  ::unsetenv("BRIDGIT_USB_ROOT");
  EXPECT_TRUE(host.Connected());
  EXPECT_EQ(server->Status, "Trying " + sim->PcPath());
}

TEST_F(Session, CommandsWhileDisconnectedAreRefused) {
  try {
    server->Execute("1", true, true);
    FAIL();
  } catch (const TCommError& e) {
    EXPECT_STREQ(e.what(), "Error (No device connected. Check you are in Xmodem server (RShift RightArrow))");
  }
}

}  // namespace
}  // namespace bridgit
