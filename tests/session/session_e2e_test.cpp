// The session against bridgit-calcsim: connection and identification of every
// model on both link kinds, the listing, the variable commands, the pulse.
#include <gtest/gtest.h>

#include <sstream>

#include "base/clock.h"
#include "support/log_lines.h"
#include "support/session_fixture.h"

namespace bridgit {
namespace {

using test::ErrorOf;
using test::LogCount;

class Session : public test::TSessionFixture {
 protected:
  void Connect() { server->Connect(sim->PcPath()); }
  // The tree as the simulator's dump writes it (folders with a trailing /).
  static void Flatten(const TXPObject& dir, const std::string& path, std::string& out) {
    for (const auto& c : dir.Children) {
      out += path + "/" + c->Name + (c->IsDirectory() ? "/" : "") + "\n";
      if (c->IsDirectory()) Flatten(*c, path + "/" + c->Name, out);
    }
  }
  static std::string DumpNames(const std::string& dump) {
    std::string out;
    std::istringstream in(dump);
    for (std::string line; std::getline(in, line);) out += line.substr(0, line.find(' ')) + "\n";
    return out;
  }
};

struct TModelCase {
  std::vector<std::string> args;
  std::string pcSpeed, model, display, version;
  int requiredSpeed;
  std::uint32_t afterCommandPacket, afterPulse;
};

// Each model on its link: what the window shows, the speed it needs and the
// pauses the link keeps; the scratch variable of the query is gone afterwards.
TEST_F(Session, IdentifiesEveryModel) {
  test::TTempDir usbRoot;
  test::TScopedEnv env({{"BRIDGIT_USB_ROOT", usbRoot.path()}});
  const TModelCase cases[] = {
      {{"--model", "71"}, "9600", "71", "71", "R", 0, 400, 100},
      {{"--model", "73", "--rom-revision", "1.18"}, "19200", "73", "73", "1.18", 9600, 100, 100},
      {{"--model", "71GII", "--rom-revision", "2.15"}, "19200", "73", "71GII", "2.15", 115200, 100, 100},
      {{"--model", "73G+", "--link", "usb", "--usb-root", usbRoot.path().string()}, "9600", "73", "73G+", "", 0, 100, 50},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.display);
    Start(c.args, c.pcSpeed);
    Connect();
    EXPECT_TRUE(host.Connected());
    EXPECT_EQ(host.CalculatorModel(), c.model);
    EXPECT_EQ(host.DisplayModel(), c.display);
    if (!c.version.empty()) { EXPECT_EQ(host.VersionInfo(), c.version); }
    EXPECT_EQ(host.RequiredSpeed(), c.requiredSpeed);
    EXPECT_EQ(server->Channel().Link().Timing().AfterCommandPacket, c.afterCommandPacket);
    EXPECT_EQ(server->Channel().Link().Timing().AfterPulse, c.afterPulse);
    EXPECT_EQ(sim->Control("dump").find("$$$t"), std::string::npos) << "the scratch variable is gone";
    if (c.display == "71") { EXPECT_EQ(server->Channel().Version(), "XModem Server 2.3   ROM: R"); }
    if (c.display == "73G+") { EXPECT_EQ(server->Channel().GetSpeed(), "130000"); }
    if (c.display == "73") {  // a backup goes at the calculator's own speed, once the person agrees
      TLogBook::Instance().Clear();
      for (const bool yes : {false, true}) {
        host.SetQuestionPolicy([yes](const std::string&, const std::string&) { return yes; });
        EXPECT_EQ(server->Backup(sim->dir() / "b", 1000), yes);
        EXPECT_EQ(server->LastData().empty(), !yes);
      }
      EXPECT_GT(test::LogCountHolding("Changing speed to 9600"), 0);
      EXPECT_GT(test::LogCountHolding("Changing speed to 19200"), 0);
    }
    server->Connect("");
    EXPECT_TRUE(server->Channel().PortName().empty());
  }
}

TEST_F(Session, ListsChangesAndEvaluates) {
  // Five refused packets are borne.
  Start({"--fault", "nak:5@1"});
  Connect();
  EXPECT_TRUE(host.Connected());
  EXPECT_EQ(LogCount("Tx Cmnd Packet Error. Rcvd len=1 c=0x15 #"), 5);
  home.Name = "HOME";
  TTickMs paused = PausedMsTotal();
  server->ListAll(home);
  EXPECT_EQ(PausedMsTotal() - paused, 1 + 1 + 50) << "after the letter, before the listing, after it";
  std::string tree;
  Flatten(home, "HOME", tree);
  EXPECT_EQ(tree, DumpNames(sim->Control("dump")));
  const TXPObject* work = Item("WORK");
  ASSERT_NE(work, nullptr);
  EXPECT_EQ(work->Children[0]->FullPath(), "HOME WORK DEEP");
  const TXPObject& a = *home.Children.back();
  EXPECT_EQ(a.Name + " " + a.TypeName + " " + std::to_string(a.Size) + " " + std::to_string(a.OddNibble), "A Real 11 1");

  server->ChangeDir("HOME WORK");
  server->CreateDir("NEWDIR");
  EXPECT_TRUE(server->Purge("NOTE", false));
  server->Channel().Execute("7 'SEVEN' STO", true, true);
  server->ChangeDir("HOME");
  paused = PausedMsTotal();
  const int letters = LogCount("send command = M");
  EXPECT_TRUE(server->Rename("A", "B", false, &home));
  // The command, each pulse letter, the pulse and the store.
  EXPECT_EQ(PausedMsTotal() - paused, 1 + 10 + 100 + (LogCount("send command = M") - letters) + 100 + 1);
  std::string why;
  EXPECT_FALSE(server->Rename("B", "PROG", false, &home, &why)) << "PROG exists";
  EXPECT_EQ(why, "PROG already exists in this folder.");
  server->Channel().Execute("\\->SPEED 2 * 'DOUBLE' STO", true, true);  // evaluating a variable
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

  const std::string free = server->QueryFreeMemory();
  EXPECT_FALSE(free.empty());
  EXPECT_EQ(free.find_first_not_of("0123456789"), std::string::npos) << free;
  server->Channel().Execute("-51 SF", true, true);
  Connect();  // the flags are read at connection
  EXPECT_EQ(host.CalculatorFlags(), "01");
  EXPECT_EQ(host.DecimalSeparator(), ',');
  EXPECT_EQ(server->QueryFreeMemory(), free);

  // A calculator that falls silent ends in the connection error.
  sim->Control("quit-server");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the person's keys come first
  EXPECT_THROW(server->Channel().Execute("", false, true), TConnectionError);
  EXPECT_FALSE(host.Connected());
  // A new connection works once the server runs again.
  sim->Control("server");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  Connect();
  EXPECT_TRUE(host.Connected());

  // The automatic choice finds it.
  test::TScopedEnv env({{"BRIDGIT_EXTRA_PORTS", sim->PcPath()}, {"BRIDGIT_USB_ROOT", sim->dir().path()}});
  server->Connect("auto");
  EXPECT_TRUE(host.Connected());
  EXPECT_EQ(server->Channel().Status(), "Trying " + sim->PcPath());

  // A sixth refused packet ends the connection.
  server->Connect("");
  TLogBook::Instance().Clear();
  ASSERT_EQ(sim->Control("fault nak:6@+1"), "ok");
  EXPECT_EQ(ErrorOf([&] { Connect(); }),
            "Error (The connectivity kit is unable to open communications to:" + sim->PcPath() + ")");
  EXPECT_EQ(LogCount("Tx Cmnd Packet Error"), 6);
  EXPECT_FALSE(host.Connected());
  EXPECT_TRUE(server->Channel().PortName().empty());
}

TEST_F(Session, TheKermitServerIsNamedAndThePulseWaitsThroughALongEvaluation) {
  Start({"--server", "kermit"});
  EXPECT_THROW(Connect(), TCommError);
  EXPECT_EQ(host.Messages(), (std::vector<std::pair<std::string, std::string>>{
                                 {"Wrong Server", "Calculator is using the Kermit Server.\n\r\n\rStop the calculator.\n\r"
                                                  "Be sure to release the right-shift before pressing right-arrow."}}));
  EXPECT_FALSE(host.Connected());
  EXPECT_TRUE(server->Channel().PortName().empty());

  Start({"--eval-ms", "1500"});
  Connect();
  server->Channel().Execute("1 'ONE' STO", true, true);
  EXPECT_GE(LogCount("send command = M"), 5);
  EXPECT_NE(sim->Control("dump").find("HOME/ONE"), std::string::npos);
}

TEST_F(Session, WithNothingConnectedCommandsAndManualOperationsAreRefused) {
  EXPECT_EQ(ErrorOf([&] { server->Channel().Execute("1", true, true); }),
            "Error (No device connected. Check you are in Xmodem server (RShift RightArrow))");

  // An automatic choice with no port to try.
  test::TTempDir emptyUsbRoot;
  test::TScopedEnv env({{"BRIDGIT_EXTRA_PORTS", ""}, {"BRIDGIT_USB_ROOT", emptyUsbRoot.path()}});
  server->Channel().SetSpeed("9600");
  EXPECT_EQ(ErrorOf([&] { server->Connect("Auto"); }), "Error (No device detected. Check the cable connections and the calculator.)");
  EXPECT_EQ(server->Channel().Status(), "No device detected. Check the cable connections and the calculator.");
  EXPECT_TRUE(host.Messages().empty());

  // A manual operation cannot use the automatic port.
  for (const std::string name : {"AUTO", "auto"}) {
    EXPECT_FALSE(server->OpenDirect(name));
    EXPECT_FALSE(server->Channel().Link().IsOpen()) << "nothing is opened";
  }
  ASSERT_EQ(host.Messages().size(), 2u);
  EXPECT_EQ(host.Messages()[0], (std::pair<std::string, std::string>{"Com Setting Error", "Com port cannot be auto for this operation"}));
  EXPECT_FALSE(host.Connected());
}

}  // namespace
}  // namespace bridgit
