// bridgit-calcsim as a program, driven byte by byte by a scripted PC side.
// This scripted PC speaks at once where Bridgit keeps its pauses.
#define BRIDGIT_CALCSIM_IGNORES_PAUSES
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>

#include <filesystem>
#include <fstream>

#include "calcdata/nibbles.h"
#include "calcdata/object_header.h"
#include "support/calcsim_process.h"
#include "support/child_process.h"
#include "support/run_program.h"
#include "transfer/block_checks.h"
#include "transfer/xmodem_frame.h"

namespace bridgit {
namespace {

using namespace xmodem;

class TPcSide {
 public:
  explicit TPcSide(const std::string& path, speed_t speed = B9600) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    if (fd_ >= 0 && ::tcgetattr(fd_, &t) == 0) {
      ::cfmakeraw(&t);
      ::cfsetspeed(&t, speed);
      ::tcsetattr(fd_, TCSANOW, &t);
    }
  }
  // The simulator's thread takes a posted action only between two of its
  // steps: a dump answered means every step before it is done.
  explicit TPcSide(test::TCalcSim& sim, speed_t speed = B9600) : TPcSide(sim.PcPath(), speed) { sim_ = &sim; }
  // The USB device: write PIPE1, read PIPE0.
  TPcSide(const std::string& pipe0, const std::string& pipe1) {
    fd_ = ::open(pipe0.c_str(), O_RDONLY | O_NONBLOCK);
    out_ = ::open(pipe1.c_str(), O_WRONLY | O_NONBLOCK);
  }
  ~TPcSide() {
    if (out_ >= 0) ::close(out_);
    ::close(fd_);
  }
  bool Ok() const { return fd_ >= 0; }
  void Send(const std::string& b) { [[maybe_unused]] auto w = ::write(out_ >= 0 ? out_ : fd_, b.data(), b.size()); }
  std::string Read(std::size_t n, int timeoutMs = 3000) {
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < n && std::chrono::steady_clock::now() < deadline) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      char buf[4096];
      const ssize_t r = ::read(fd_, buf, std::min(sizeof buf, n - out.size()));
      if (r > 0) out.append(buf, static_cast<std::size_t>(r));
    }
    return out;
  }
  static std::string Packet(const std::string& payload) {
    std::string p;
    p += static_cast<char>(payload.size() >> 8);
    p += static_cast<char>(payload.size() & 0xFF);
    return p + payload + static_cast<char>(Checksum8(payload));
  }
  // Reads one answer packet and acknowledges it; "?" when it is damaged.
  std::string Answer() {
    const std::string size = Read(2);
    if (size.size() < 2) return "<none>";
    const std::size_t n = static_cast<unsigned char>(size[0]) * 256u + static_cast<unsigned char>(size[1]);
    const std::string body = Read(n + 1);
    if (body.size() != n + 1 || static_cast<unsigned char>(body[n]) != Checksum8(body.substr(0, n))) {
      Send(std::string(1, NAK));
      return "?";
    }
    Send(std::string(1, ACK));
    return body.substr(0, n);
  }
  // A command letter with its packet; the acknowledgement. The server is deaf
  // for a moment after an evaluation: the next letter waits until it listens.
  std::string Command(char letter, const std::string& payload) {
    Send(std::string(1, letter) + Packet(payload));
    const std::string ack = Read(1);
    if (letter == 'E' && sim_) sim_->Control("dump");
    return ack;
  }
  // Receives one object by XModem, asking with NAK.
  std::string ReceiveObject() {
    std::string data;
    std::string h;
    // The start request is repeated until the sender answers, as receivers do.
    for (int tries = 0; tries < 5 && h.empty(); ++tries) {
      Send(std::string(1, NAK));
      h = Read(1, 1000);
    }
    for (;; h = Read(1, 5000)) {
      if (h.empty() || h[0] == CAN) {
        Read(2, 300);  // the rest of the cancel
        return "<cancelled>";
      }
      if (h[0] == EOT) {
        Send(std::string(1, ACK));
        return data;
      }
      const std::size_t n = h[0] == STX ? kLargeBlock : kSmallBlock;
      const std::string rest = Read(n + 3);
      data += rest.substr(2, n);
      Send(std::string(1, ACK));
    }
  }
  bool SendObject(const std::string& file, char expectStart) {
    if (Read(1, 5000) != std::string(1, expectStart)) return false;
    TCheckMode mode;
    CheckModeOf(expectStart, mode);
    std::uint32_t number = 1;
    for (std::size_t at = 0; at < file.size(); at += kSmallBlock) {
      Send(BuildFrame(number++, file.substr(at), kSmallBlock, mode));
      if (Read(1) != std::string(1, ACK)) return false;
    }
    Send(std::string(1, EOT));
    return Read(1) == std::string(1, ACK);
  }

 private:
  int fd_ = -1;
  int out_ = -1;
  test::TCalcSim* sim_ = nullptr;
};

std::string RealFile(double) {
  // 42.: exponent 001, mantissa 420000000000, sign 0
  TNibbleWriter w;
  w.Put5(0x02933);
  for (unsigned n : {1u, 0u, 0u}) w.Put(n);
  for (unsigned n : {0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 2u, 4u}) w.Put(n);
  w.Put(0);
  return MakeObjectHeader(kFamily73) + w.Packed();
}

TEST(CalcSim, ServerLettersAndPackets) {
  test::TCalcSim sim({});
  ASSERT_FALSE(sim.PcPath().empty());
  TPcSide pc(sim);
  ASSERT_TRUE(pc.Ok());

  pc.Send("V");
  EXPECT_EQ(pc.Answer(), "XModem Server 2.3");
  pc.Send("M");
  const std::string free = pc.Answer();
  EXPECT_TRUE(free.ends_with(".")) << free;
  EXPECT_EQ(pc.Command('E', "-51 SF"), std::string(1, ACK));
  pc.Send("M");
  EXPECT_TRUE(pc.Answer().ends_with(","));

  // A damaged packet is refused, then taken when it comes whole.
  std::string bad = TPcSide::Packet("-51 CF");
  bad.back() = static_cast<char>(bad.back() + 1);
  pc.Send("E" + bad);
  EXPECT_EQ(pc.Read(1), std::string(1, NAK));
  pc.Send(TPcSide::Packet("-51 CF"));
  EXPECT_EQ(pc.Read(1), std::string(1, ACK));
  sim.Control("dump");

  // The listing: HOME's variables, newest first, folders followed by their
  // contents and an end byte.
  pc.Send("l");
  const std::string listing = pc.Answer();
  ASSERT_GT(listing.size(), 20u);
  EXPECT_EQ(listing.substr(0, 5), "\x04WORK");
  EXPECT_EQ(listing.substr(5, 2), "\x96\x2A");  // the Directory type code, low byte first
  EXPECT_EQ(listing.back(), '\0');

  // G: the object by XModem on the PC's start request.
  EXPECT_EQ(pc.Command('G', "A"), std::string(1, ACK));
  const std::string a = pc.ReceiveObject();
  EXPECT_EQ(a.substr(0, 19), RealFile(42));
  EXPECT_EQ(pc.Command('G', "NOSUCH"), std::string(1, ACK));
  EXPECT_EQ(pc.ReceiveObject(), "<cancelled>");

  // P: an object from the PC on the calculator's start request ("D": CRC-16/KERMIT).
  EXPECT_EQ(pc.Command('P', "B"), std::string(1, ACK));
  EXPECT_TRUE(pc.SendObject(RealFile(42) + std::string(50, '\x1A'), StartKermit));
  EXPECT_NE(sim.Control("dump").find("HOME/B Real 11 42."), std::string::npos);

  // Q leaves the server: nothing answers until the server is started again.
  pc.Send("Q");
  pc.Send("V");
  EXPECT_EQ(pc.Read(1, 500), "");
  EXPECT_EQ(sim.Control("server"), "ok");
  sim.Control("dump");  // the person presses the keys first
  pc.Send("V");
  EXPECT_EQ(pc.Answer(), "XModem Server 2.3");
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

TEST(CalcSim, KermitServerAndUsbLink) {
  {
    test::TCalcSim kermit({"--server", "kermit"});
    TPcSide pc(kermit);
    EXPECT_EQ(pc.Read(1, 2000), "\x01");
  }
  test::TTempDir root;
  test::TCalcSim usb({"--model", "73G+", "--link", "usb", "--usb-root", root.path().string()});
  EXPECT_EQ(usb.PcPath(), "ZQx3G+");
  TPcSide pc(root / "ZQx3G+/PIPE0", root / "ZQx3G+/PIPE1");
  pc.Send("V");
  EXPECT_EQ(pc.Answer(), "XModem Server 2.3");
}

TEST(CalcSim, FaultsFireWhereAsked) {
  test::TCalcSim sim({"--fault", "corrupt-packet@1", "--fault", "nak:2@1"});
  TPcSide pc(sim);
  pc.Send("V");
  EXPECT_EQ(pc.Answer(), "?");  // the first answer is damaged...
  EXPECT_EQ(pc.Answer(), "XModem Server 2.3");  // ...and comes again on our NAK
  pc.Send("E" + TPcSide::Packet("1"));
  EXPECT_EQ(pc.Read(1), std::string(1, NAK));  // refused twice, whole as it is
  pc.Send(TPcSide::Packet("1"));
  EXPECT_EQ(pc.Read(1), std::string(1, NAK));
  pc.Send(TPcSide::Packet("1"));
  EXPECT_EQ(pc.Read(1), std::string(1, ACK));
  sim.Control("dump");
  // Cut: from now on the line is dead.
  EXPECT_EQ(sim.Control("fault cut@1"), "ok");
  pc.Send("V");
  EXPECT_EQ(pc.Read(1, 500), "");
  EXPECT_EQ(sim.Control("fault nonsense"), "error a fault needs @N: nonsense");
}

TEST(CalcSim, TransferFaults) {
  test::TCalcSim sim({"--fault", "corrupt-block@1", "--fault", "lose-ack@2", "--fault", "can@3", "--fault",
                      "garbage@4"});
  TPcSide pc(sim);
  // A: its first block comes damaged, then whole after our NAK.
  EXPECT_EQ(pc.Command('G', "A"), std::string(1, ACK));
  pc.Send(std::string(1, NAK));
  std::string first = pc.Read(132);
  ASSERT_EQ(first.size(), 132u);
  EXPECT_FALSE(IsGoodBlock(first.substr(1), kSmallBlock, TCheckMode::kChecksum, 1));
  pc.Send(std::string(1, NAK));
  std::string again = pc.Read(132);
  EXPECT_TRUE(IsGoodBlock(again.substr(1), kSmallBlock, TCheckMode::kChecksum, 1));
  pc.Send(std::string(1, ACK));
  EXPECT_EQ(pc.Read(1), std::string(1, EOT));
  pc.Send(std::string(1, ACK));
  // A again: its (second ever) block is repeated as if our ACK was lost.
  EXPECT_EQ(pc.Command('G', "A"), std::string(1, ACK));
  pc.Send(std::string(1, NAK));
  EXPECT_EQ(pc.Read(132), again);
  pc.Send(std::string(1, ACK));
  EXPECT_EQ(pc.Read(132), again);
  pc.Send(std::string(1, ACK));
  EXPECT_EQ(pc.Read(1), std::string(1, EOT));
  pc.Send(std::string(1, ACK));
  // The third block is a cancel.
  EXPECT_EQ(pc.Command('G', "A"), std::string(1, ACK));
  pc.Send(std::string(1, NAK));
  EXPECT_EQ(pc.Read(3), std::string(3, CAN));
  // The fourth command letter is answered with garbage.
  pc.Send("V");
  const std::string garbage = pc.Read(4, 1000);
  EXPECT_EQ(garbage.size(), 4u);
  EXPECT_NE(garbage.substr(0, 2), std::string("\x00\x11", 2));
}

TEST(CalcSim, ByteFaultsAndSeededNoise) {
  {
    test::TCalcSim sim({"--fault", "drop-byte@3", "--fault", "stall:400@2"});
    TPcSide pc(sim);
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
  }
  // The same seed garbles the same bytes the same way.
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

TEST(CalcSim, KeyPressesOfThePerson) {
  test::TCalcSim sim({"--server", "off", "--speed", "9600"});
  TPcSide pc(sim);
  EXPECT_EQ(sim.Control("xsend A"), "ok");
  const std::string a = pc.ReceiveObject();
  EXPECT_EQ(a.substr(0, 19), RealFile(42));

  EXPECT_EQ(sim.Control("xrecv C"), "ok");
  EXPECT_TRUE(pc.SendObject(RealFile(42), StartKermit));
  sim.Control("dump");
  EXPECT_EQ(sim.Control("status"), "ok stored C");

  for (const auto& [layout, size] : {std::pair{"page", 1081u}, {"header", 1094u}, {"legacy", 1090u}}) {
    EXPECT_EQ(sim.Control(std::string("screen ") + layout), "ok");
    EXPECT_EQ(pc.Read(size).size(), size) << layout;
    EXPECT_EQ(pc.Read(1, 200), "");
  }

  EXPECT_EQ(sim.Control("rom"), "ok");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  pc.Send(std::string("\x05\x00\x00\x00", 4) + "ABCDE");
  sim.Control("dump");
  char crc[8];
  std::snprintf(crc, sizeof crc, "%04X", CrcArc16("ABCDE"));
  EXPECT_EQ(sim.Control("status"), std::string("ok rom 5 bytes crc ") + crc);
}

TEST(CalcSim, APcAtAnotherSpeedHearsNoiseAndIsHeardAsNoise) {
  test::TCalcSim sim({"--speed", "9600", "--server-speed", "9600"});
  {
    TPcSide pc(sim, B19200);
    pc.Send("V");
    EXPECT_EQ(pc.Read(1, 500), "") << "the letter came as noise: no answer";
    EXPECT_EQ(sim.Control("screen page"), "ok");
    const std::string screen = pc.Read(1081);
    EXPECT_EQ(screen.size(), 1081u);
    EXPECT_NE(screen[0], '\x1B');
  }
  TPcSide pc(sim, B9600);
  pc.Send("V");
  EXPECT_EQ(pc.Answer(), "XModem Server 2.3");
}

TEST(CalcSim, TheOlderModelRunsItsServerOnlyFromTheDownloadedLibrary) {
  test::TCalcSim sim({"--model", "71", "--server", "off"});
  TPcSide pc(sim);
  EXPECT_EQ(sim.Control("server"), "ok");
  sim.Control("dump");
  EXPECT_EQ(sim.Control("status"), "error no server library");
  EXPECT_EQ(sim.Control("xrecv X"), "ok");
  std::ifstream in(std::string(BRIDGIT_CALC_FILES) + "/XSrvr71.zq", std::ios::binary);
  const std::string library((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(library.empty());
  EXPECT_TRUE(pc.SendObject(library, NAK));  // the older model asks in checksum mode
  sim.Control("dump");
  EXPECT_EQ(sim.Control("server"), "ok");
  sim.Control("dump");
  pc.Send("V");
  EXPECT_EQ(pc.Answer(), "XModem Server 2.3");
}

TEST(CalcSim, AMemoryFolderIsLoadedChangedAndWrittenBackWhole) {
  test::TTempDir dir;
  const std::string mem = dir / "mem";
  std::filesystem::create_directories(mem + "/SUB");
  std::ofstream(mem + "/X.zq", std::ios::binary) << RealFile(42);
  std::ofstream(mem + "/SUB/Y.zq", std::ios::binary) << RealFile(42);
  {
    test::TCalcSim sim({"--memory", mem});
    EXPECT_EQ(sim.Control("dump"), "HOME/X Real 11 42.\nHOME/SUB/\nHOME/SUB/Y Real 11 42.\n");
    TPcSide pc(sim);
    // A text it cannot parse is the calculator's error, not a crash; the error
    // stays until the next one or ERR0.
    EXPECT_EQ(pc.Command('E', "<99999999999999999999999d>"), std::string(1, ACK));
    EXPECT_EQ(pc.Command('E', "'NEW' CRDIR 7 'Z' STO"), std::string(1, ACK));
    EXPECT_EQ(sim.Control("error"), "ok Bad Argument Value");
    EXPECT_EQ(pc.Command('E', "ERR0"), std::string(1, ACK));
    EXPECT_EQ(sim.Control("error"), "ok ");
    EXPECT_EQ(sim.Stop(), 0);
  }
  EXPECT_TRUE(std::filesystem::is_directory(mem + "/NEW"));
  EXPECT_TRUE(std::filesystem::exists(mem + "/Z.zq"));
  EXPECT_TRUE(std::filesystem::exists(mem + "/SUB/Y.zq"));
  EXPECT_FALSE(std::filesystem::exists(mem + ".new"));
  test::TCalcSim again({"--memory", mem});
  EXPECT_NE(again.Control("dump").find("HOME/Z Real 11 7."), std::string::npos);
}

TEST(CalcSim, ObjectsOfTypesItDoesNotKnowTravelUntouched) {
  // A Complex: prolog 0x02977, then bytes the simulator does not interpret.
  const std::string complex = "ZQZQ73-C" + std::string("\x77\x29", 2) + std::string(17, '\x5A');
  test::TTempDir dir;
  const std::string mem = dir / "mem";
  std::filesystem::create_directories(mem);
  std::ofstream(mem + "/CPLX.zq", std::ios::binary) << complex;
  test::TCalcSim sim({"--memory", mem});
  TPcSide pc(sim);
  pc.Send("l");
  const std::string listing = pc.Answer();
  // Name, type code, and its size in nibbles: all 19 bytes it came with.
  EXPECT_EQ(listing.substr(0, 10), std::string("\x04" "CPLX" "\x77\x29" "\x26\x00\x00", 10));
  EXPECT_EQ(pc.Command('G', "CPLX"), std::string(1, ACK));
  EXPECT_EQ(pc.ReceiveObject().substr(0, complex.size()), complex);
  // Put in 128-byte blocks: every byte received is kept, padding and all.
  EXPECT_EQ(pc.Command('P', "C2"), std::string(1, ACK));
  EXPECT_TRUE(pc.SendObject(complex, StartKermit));
  EXPECT_NE(sim.Control("dump").find("HOME/C2 ? 120 External"), std::string::npos);
}

TEST(CalcSim, BadArgumentsGiveOneLineAndAnError) {
  test::TTempDir dir;
  std::ofstream(dir / "junk.zq") << "not an object";
  const std::vector<std::vector<std::string>> cases = {
      {"--model", "99"},
      {"--memory", dir / "missing"},
      {"--memory", dir.path().string()},
      {"--path", dir / "no/such/folder/line"},
      {"--fault", "explode@1"},
  };
  for (const auto& args : cases) {
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

// The line's path is a link the simulator makes; a file someone keeps at that
// path is refused and kept, a link left by an earlier run is replaced.
TEST(CalcSim, TheLinePathReplacesOnlyALink) {
  test::TTempDir dir;
  const std::string file = dir / "line";
  std::ofstream(file) << "keep me";
  const test::TRun r = test::RunProgram({BRIDGIT_CALCSIM, "--path", file, "--control", dir / "control"});
  EXPECT_NE(r.code, 0);
  EXPECT_EQ(r.err, "bridgit-calcsim: the link path exists and is not a link: " + file + "\n");
  EXPECT_EQ(test::Slurp(file), "keep me");
  EXPECT_FALSE(std::filesystem::exists(dir / "control"));

  std::filesystem::remove(file);
  std::filesystem::create_symlink("/dev/null", file);
  test::TCalcSim sim({"--path", file});
  ASSERT_FALSE(sim.PcPath().empty());
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_NE(std::filesystem::read_symlink(file), "/dev/null");
}

// The control socket presses keys and dumps the memory: a path that holds
// anything but a socket is refused and kept, and the socket is the owner's alone.
TEST(CalcSim, TheControlSocketIsPrivateAndReplacesOnlyASocket) {
  test::TTempDir dir;
  const std::string file = dir / "notes";
  std::ofstream(file) << "keep me";
  {
    const test::TRun r = test::RunProgram({BRIDGIT_CALCSIM, "--path", dir / "line", "--control", file});
    EXPECT_NE(r.code, 0);
    EXPECT_EQ(r.err, "bridgit-calcsim: the control socket path exists and is not a socket: " + file + "\n");
    std::ifstream in(file);
    std::string kept;
    std::getline(in, kept);
    EXPECT_EQ(kept, "keep me");
    EXPECT_FALSE(std::filesystem::exists(dir / "line"));
  }
  std::filesystem::create_directories(dir / "folder");
  EXPECT_NE(test::RunProgram({BRIDGIT_CALCSIM, "--path", dir / "line", "--control", dir / "folder"}).code, 0);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));

  const mode_t mask = ::umask(0);  // the widest umask a person may have
  test::TCalcSim sim({});
  ::umask(mask);
  ASSERT_FALSE(sim.PcPath().empty());
  struct stat st {};
  ASSERT_EQ(::lstat((sim.dir() / "control").c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(sim.Control("status").find("no control socket"), std::string::npos);
  // A socket left behind by an earlier run is replaced.
  EXPECT_EQ(sim.Stop(), 0);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string stale = dir / "stale";
  std::strncpy(addr.sun_path, stale.c_str(), sizeof addr.sun_path - 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ::close(fd);
  test::TChildProcess again({BRIDGIT_CALCSIM, "--path", dir / "line2", "--control", stale});
  bool answered = false;
  for (int i = 0; i < 500 && !answered; ++i) {
    const int client = ::socket(AF_UNIX, SOCK_STREAM, 0);
    answered = ::connect(client, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(client);
    if (!answered) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(answered);
}

}  // namespace
}  // namespace bridgit
