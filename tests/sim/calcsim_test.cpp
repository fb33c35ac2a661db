// bridgit-calcsim as a program, driven byte by byte by a scripted PC side.
// This scripted PC speaks at once where Bridgit keeps its pauses.
#define BRIDGIT_CALCSIM_IGNORES_PAUSES
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "support/calcsim_process.h"
#include "support/child_process.h"
#include "support/line_peer.h"
#include "transfer/xmodem_frame.h"

namespace bridgit {
namespace {

using namespace xmodem;

// The PC's end, with the simulator at hand: its thread takes a posted action
// only between two of its steps, so a dump answered means every step before it is done.
class TPcSide : public test::TLinePeer {
 public:
  explicit TPcSide(test::TCalcSim& sim) : TLinePeer(sim.PcPath()), sim_(&sim) {}
  // A command letter with its packet; the acknowledgement. The server is deaf
  // for a moment after an evaluation: the next letter waits until it listens.
  std::string Command(char letter, const std::string& payload) {
    Send(std::string(1, letter) + Packet(payload));
    const std::string ack = Read(1);
    if (letter == 'E') sim_->Control("dump");
    return ack;
  }

 private:
  test::TCalcSim* sim_;
};

TEST(CalcSim, ServerLettersAndPackets) {
  test::TCalcSim sim({});
  ASSERT_FALSE(sim.PcPath().empty());
  TPcSide pc(sim);
  ASSERT_TRUE(pc.Ok());

  pc.Send("V");
  EXPECT_EQ(pc.Answer(), "XModem Server 2.3");
  // A damaged packet is refused, then taken when it comes whole.
  std::string bad = TPcSide::Packet("-51 CF");
  bad.back() = static_cast<char>(bad.back() + 1);
  pc.Send("E" + bad);
  EXPECT_EQ(pc.Read(1), std::string(1, NAK));
  pc.Send(TPcSide::Packet("-51 CF"));
  EXPECT_EQ(pc.Read(1), std::string(1, ACK));
  sim.Control("dump");

  // What the calculator lacks is cancelled; a put comes with CRC-16/KERMIT ("D").
  EXPECT_EQ(pc.Command('G', "NOSUCH"), std::string(1, ACK));
  EXPECT_EQ(pc.ReceiveObject(), "<cancelled>");

  EXPECT_EQ(pc.Command('P', "B"), std::string(1, ACK));
  // The Real 42. as a file: exponent 001, mantissa 420000000000, sign 0.
  const std::string real = "ZQZQ73-C" + std::string("\x33\x29\x10\0\0\0\0\0\0\x42\0", 11);
  EXPECT_TRUE(pc.SendObject(real + std::string(50, '\x1A'), StartKermit));
  EXPECT_NE(sim.Control("dump").find("HOME/B Real 11 42."), std::string::npos);

  // Q leaves the server: nothing answers until the server is started again.
  pc.Send("Q");
  pc.Send("V");
  EXPECT_EQ(pc.Read(1, 500), "");
  EXPECT_EQ(sim.Control("server"), "ok");
  sim.Control("dump");  // the person presses the keys first
  pc.Send("V");
  EXPECT_EQ(pc.Answer(), "XModem Server 2.3");

  // The older model runs its server only from the library downloaded to it.
  test::TCalcSim older({"--model", "71", "--server", "off"});
  EXPECT_EQ(older.Control("server"), "ok");
  older.Control("dump");
  EXPECT_EQ(older.Control("status"), "error no server library");
}

TEST(CalcSim, WhatComesBeforeTheCalculatorListensIsLost) {
  test::TCalcSim sim({"--hold-pauses", "on"});
  TPcSide pc(sim);
  pc.Send("E" + TPcSide::Packet("1"));
  EXPECT_EQ(pc.Read(1), std::string(1, ACK));
  pc.Send("M");  // no pause after the command packet
  EXPECT_EQ(pc.Read(1, 300), "");
  EXPECT_EQ(sim.Control("early"), "ok 1");
  pc.Send("M");
  EXPECT_FALSE(pc.Answer().empty());
}

TEST(CalcSim, FaultsFireWhereAsked) {
  test::TCalcSim sim({"--fault", "corrupt-packet@1", "--fault", "corrupt-block@1", "--fault", "lose-ack@2"});
  TPcSide pc(sim);
  pc.Send("V");
  EXPECT_EQ(pc.Answer(), "?");  // the first answer is damaged...
  EXPECT_EQ(pc.Answer(), "XModem Server 2.3");  // ...and comes again on our NAK
  const auto endOfFile = [&] {
    pc.Send(std::string(1, ACK));
    EXPECT_EQ(pc.Read(1), std::string(1, EOT));
    pc.Send(std::string(1, ACK));
  };
  // A: its first block comes damaged, then whole after our NAK.
  EXPECT_EQ(pc.Command('G', "A"), std::string(1, ACK));
  pc.Send(std::string(1, NAK));
  std::string first = pc.Read(132);
  ASSERT_EQ(first.size(), 132u);
  EXPECT_FALSE(IsGoodBlock(first.substr(1), kSmallBlock, TCheckMode::kChecksum, 1));
  pc.Send(std::string(1, NAK));
  std::string again = pc.Read(132);
  EXPECT_TRUE(IsGoodBlock(again.substr(1), kSmallBlock, TCheckMode::kChecksum, 1));
  endOfFile();
  // A again: its (second ever) block is repeated as if our ACK was lost.
  EXPECT_EQ(pc.Command('G', "A"), std::string(1, ACK));
  pc.Send(std::string(1, NAK));
  EXPECT_EQ(pc.Read(132), again);
  pc.Send(std::string(1, ACK));
  EXPECT_EQ(pc.Read(132), again);
  endOfFile();
  // A byte dropped, then a stall before the next answer.
  ASSERT_EQ(sim.Control("fault drop-byte@+3"), "ok");
  ASSERT_EQ(sim.Control("fault stall:400@+2"), "ok");
  pc.Send("V");
  const std::string answer = pc.Read(2 + 17 + 1, 1000);  // one byte short: the third never came
  EXPECT_EQ(answer.size(), 19u);
  EXPECT_EQ(answer.substr(0, 2), std::string("\x00\x11", 2));
  EXPECT_EQ(answer.substr(2, 4), "Mode");
  pc.Send(std::string(1, NAK));  // refused: it comes again, whole
  EXPECT_EQ(pc.Answer(), "XModem Server 2.3");
  const auto start = std::chrono::steady_clock::now();
  pc.Send("V");
  EXPECT_EQ(pc.Answer(), "XModem Server 2.3");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
  // Cut: from now on the line is dead.
  EXPECT_EQ(sim.Control("fault cut@1"), "ok");
  pc.Send("V");
  EXPECT_EQ(pc.Read(1, 500), "");
  EXPECT_EQ(sim.Control("fault nonsense"), "error a fault needs @N: nonsense");
}

TEST(CalcSim, TheSameSeedGarblesTheSameBytesTheSameWay) {
  std::string heard[2];
  for (std::string& h : heard) {
    test::TCalcSim sim({"--noise", "0.2", "--seed", "99"});
    TPcSide pc(sim);
    pc.Send("l");
    h = pc.Read(400, 1000);
  }
  EXPECT_EQ(heard[0], heard[1]);
  EXPECT_FALSE(heard[0].empty());
}

TEST(CalcSim, BadArgumentsGiveOneLineAndAnError) {
  test::TTempDir dir;
  std::ofstream(dir / "junk.zq") << "not an object";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--model", "99"}, {"--memory", dir / "missing"}, {"--memory", dir.path().string()},
           {"--path", dir / "no/such/folder/line"}, {"--fault", "explode@1"}}) {
    test::TCalcSim sim(args, false);
    std::string errors;
    EXPECT_NE(sim.Wait(errors), 0) << args[0];
    EXPECT_TRUE(errors.starts_with("bridgit-calcsim: ")) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
  }
  // --help is no error: it prints the options.
  const test::TRun help = test::RunProgram({BRIDGIT_CALCSIM, "--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("--link"), std::string::npos) << help.out << help.err;
  EXPECT_EQ(help.err, "");
  for (const std::string name : {"bridgit-calcsim", "bridgit-relay"}) {
    const std::string program = name == "bridgit-relay" ? BRIDGIT_RELAY : BRIDGIT_CALCSIM;
    const test::TRun version = test::RunProgram({program, "--version"});
    EXPECT_EQ(version.code, 0) << name;
    EXPECT_TRUE(version.out.starts_with(name + " ")) << version.out;
    const test::TRun bogus = test::RunProgram({program, "--bogus"});
    EXPECT_EQ(bogus.code, 2) << name;
    EXPECT_TRUE(bogus.err.starts_with(name + ": ")) << bogus.err;
  }
}

// The relay needs no standard input: it runs until SIGTERM, then removes its links.
TEST(CalcSim, TheRelayRunsUntilSignalledAndRemovesItsLinks) {
  test::TTempDir dir;
  test::TChildProcess relay(
      {"/bin/sh", "-c", "exec \"$0\" --link-a \"$1\" --link-b \"$2\" </dev/null >/dev/null", BRIDGIT_RELAY, dir / "a", dir / "b"});
  ASSERT_TRUE(test::WaitForPath(dir / "b", 5000));
  EXPECT_EQ(relay.Wait(300), -1);  // still running
  relay.Signal(SIGTERM);
  EXPECT_EQ(relay.Wait(5000), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "a"));
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "b"));
}

// The line's path is a link the simulator makes, and its control socket (which
// presses keys and dumps the memory) the owner's alone: a file someone keeps at
// either path is refused and kept, a link or socket left by an earlier run replaced.
TEST(CalcSim, ItsLineAndControlSocketReplaceOnlyWhatAnEarlierRunLeft) {
  test::TTempDir dir;
  const std::string file = dir / "notes";
  std::ofstream(file) << "keep me";
  for (const auto& [option, other, what] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"--path", "--control", "the link path exists and is not a link: "},
           {"--control", "--path", "the control socket path exists and is not a socket: "}}) {
    const test::TRun r = test::RunProgram({BRIDGIT_CALCSIM, option, file, other, dir / "other"});
    EXPECT_NE(r.code, 0);
    EXPECT_EQ(r.err, "bridgit-calcsim: " + what + file + "\n");
    EXPECT_EQ(test::Slurp(file), "keep me");
    EXPECT_FALSE(std::filesystem::exists(dir / "other"));
  }
  std::filesystem::create_directories(dir / "folder");
  EXPECT_NE(test::RunProgram({BRIDGIT_CALCSIM, "--path", dir / "line", "--control", dir / "folder"}).code, 0);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));

  std::filesystem::remove(file);
  std::filesystem::create_symlink("/dev/null", file);
  const mode_t mask = ::umask(0);  // the widest umask a person may have
  test::TCalcSim sim({"--path", file});
  ::umask(mask);
  ASSERT_FALSE(sim.PcPath().empty());
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_NE(std::filesystem::read_symlink(file), "/dev/null");
  struct stat st {};
  ASSERT_EQ(::lstat((sim.dir() / "control").c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(sim.Control("status").find("no control socket"), std::string::npos);
}

}  // namespace
}  // namespace bridgit
