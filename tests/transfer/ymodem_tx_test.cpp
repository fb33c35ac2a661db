#include <fstream>

#include "link/memory_link.h"
#include "support/patterned_bytes.h"
#include "support/temp_dir.h"
#include "support/transfer_fixture.h"
#include "transfer/ymodem_tx.h"

namespace bridgit {
namespace {

using namespace xmodem;
using test::LogLines;

struct TFrame {
  char header;
  unsigned number;
  std::string data;
  bool checkOk;
};

class YModemTX : public test::TransferFixture {
 protected:
  std::string MakeFile(std::size_t size) {
    const std::string bytes = test::Patterned(size);
    std::ofstream(dir / "obj.zq", std::ios::binary) << bytes;
    return bytes;
  }

  // The calculator's side of a good transfer: start request, then every frame
  // acknowledged until EOT.
  std::vector<TFrame> Receive(const std::string& start, TCheckMode mode) {
    std::vector<TFrame> frames;
    pty.Write(start);
    for (;;) {
      const std::string h = ReadByte();
      if (h.empty()) return frames;
      if (h[0] == EOT) {
        pty.Write(std::string(1, ACK));
        return frames;
      }
      const std::size_t n = h[0] == STX ? kLargeBlock : kSmallBlock;
      const std::string rest = pty.Read(n + 2 + CheckLength(mode));
      TFrame f{h[0], static_cast<unsigned char>(rest[0]), rest.substr(2, n),
               IsGoodBlock(rest, n, mode, static_cast<std::uint8_t>(rest[0]))};
      frames.push_back(f);
      pty.Write(std::string(1, ACK));
    }
  }

  // The calculator's side of a troubled transfer: `start`, then one reply to
  // each thing the PC sends ('-': none), until the replies run out. What the
  // PC sent, a letter each: S a block, E an end of transmission, C a cancel byte.
  std::string Converse(const std::string& start, const std::string& replies) {
    pty.Write(start);
    std::string heard;
    for (const char reply : replies) {
      const std::string h = ReadByte();
      if (h.empty()) break;
      if (h[0] == SOH) pty.Read(3 + 128);
      heard += h[0] == SOH ? 'S' : h[0] == EOT ? 'E' : h[0] == CAN ? 'C' : '?';
      if (reply != '-') pty.Write(std::string(1, reply));
    }
    return heard;
  }

  test::TTempDir dir;
};

TEST_F(YModemTX, BlockSizesPaddingAndCheckModes) {
  struct TCase {
    std::size_t size;
    bool small;
    char start;
    TCheckMode mode;
    std::string headers;  // S for SOH, X for STX
    bool startAlreadyRead = false;
  };
  const TCase cases[] = {
      {100, false, NAK, TCheckMode::kChecksum, "S"},
      {1024, false, StartArc, TCheckMode::kCrcArc, "X"},
      {1023, false, StartKermit, TCheckMode::kCrcKermit, "SSSSSSSS"},
      {2000, false, NAK, TCheckMode::kChecksum, "XSSSSSSSS"},
      {1500, true, NAK, TCheckMode::kChecksum, "SSSSSSSSSSSS"},
      {0, false, StartArc, TCheckMode::kCrcArc, ""},
      {256 * 128 + 5, true, NAK, TCheckMode::kChecksum, std::string(257, 'S'), true},  // block 256 is number 0
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.size);
    const std::string bytes = MakeFile(c.size);
    statuses.clear();
    const std::string start(1, c.start);
    TYModemTX tx(link, dir / "obj.zq", c.small, c.startAlreadyRead ? start : "", Recorder());
    std::vector<TFrame> frames;
    EXPECT_EQ(Run(tx, [&] { frames = Receive(c.startAlreadyRead ? "" : start, c.mode); }), kModalOk);
    EXPECT_TRUE(tx.Done());
    std::string headers, received;
    unsigned expected = 1;
    for (const TFrame& f : frames) {
      headers += f.header == STX ? 'X' : 'S';
      EXPECT_TRUE(f.checkOk);
      EXPECT_EQ(f.number, expected++ & 0xFF);
      received += f.data;
    }
    EXPECT_EQ(headers, c.headers);
    ASSERT_GE(received.size(), bytes.size());
    EXPECT_EQ(received.substr(0, bytes.size()), bytes);
    EXPECT_EQ(received.substr(bytes.size()), std::string(received.size() - bytes.size(), kPadding));
    EXPECT_EQ(Count(StatusFinished), 1);
    EXPECT_EQ(statuses.back().kind, StatusFinished);
  }
}

// Wrong start requests, stray replies, refusals and silence: how often each is
// borne, what the log counts, and that a transfer given up ends in cancel bytes.
TEST_F(YModemTX, RefusalsAreBorneFiveTimesTheSixthEndsTheTransfer) {
  const std::string nak = "\x15";
  struct TCase {
    std::string file, firstReply, start, replies;
    bool done;
    std::string heard, logPrefix, logNumbers;
    int errors;  // error statuses
    int paused;  // prescribed pauses, ms
    int minMs = 0;
  };
  // Before sending and after the dialog; a transfer given up adds the pause
  // after a transfer error and the one of the fatal path.
  const int done = 1 + 100, fatal = done + 100 + 100;
  const std::string crc = "Tx needs CRC Flag #", eot = "Tx No ACK for EOT error #";
  const TCase cases[] = {
      // A stray 'A' and five NAKs resend the block; the sixth copy is taken.
      {"obj.zq", "", nak, "A\x15\x15\x15\x15\x15\x06\x06", true, "SSSSSSSE", crc, "", 6, done},
      {"obj.zq", "", nak, "\x15\x15\x15\x15\x15\x15", false, "SSSSSSCCC", crc, "", 6, fatal},
      // No reply: the read time-out (2.5 s at least) and a pause of 0.8 s, then the block again.
      {"obj.zq", "", nak, "-\x06\x06", true, "SSE", crc, "", 1, done + 800, 3300},
      {"obj.zq", "", "\x18", "", false, "CCC", crc, "", 1, fatal},
      {"obj.zq", nak, "", "\x18", false, "SCCC", crc, "", 1, fatal},
      {"obj.zq", nak, "", "??????", false, "SSSSSSCCC", crc, "", 6, fatal},
      // Wrong start requests (a zero byte among them), then the right one.
      {"obj.zq", "", std::string("x\0E\x06" "A", 5) + nak, "\x06\x06", true, "SE", crc, "12345", 0, done},
      {"obj.zq", "", "xyzxyz", "", false, "CCC", crc, "123456", 1, fatal},
      // The first end of transmission says nothing in the log.
      {"obj.zq", nak, "", "\x06\x15\x15?\x15\x06", true, "SEEEEE", eot, "2345", 0, done},
      {"obj.zq", nak, "", "\x06\x15\x15\x15\x15\x15", false, "SEEEEECCC", eot, "23456", 1, fatal},
      {"nothing.zq", nak, "", "", false, "CCC", crc, "", 1, done + 100},  // last: its message is checked below
  };
  MakeFile(100);
  for (const TCase& c : cases) {
    SCOPED_TRACE(&c - cases);
    if (!host.Connected()) link.OpenComm(pty.path(), 115200);
    TLogBook::Instance().Clear();
    statuses.clear();
    TYModemTX tx(link, dir / c.file, false, c.firstReply, Recorder());
    std::string heard;
    const TTickMs start = TickCount(), paused = PausedMsTotal();
    Run(tx, [&] { heard = Converse(c.start, c.replies); });
    EXPECT_GE(TickCount() - start, c.minMs);
    EXPECT_EQ(PausedMsTotal() - paused, c.paused);
    if (!c.done) heard += pty.Read(3, 1000) == std::string(3, CAN) ? "CCC" : "";
    EXPECT_EQ(tx.Done(), c.done);
    EXPECT_EQ(heard, c.heard);
    std::vector<std::string> log;
    for (const char n : c.logNumbers) log.push_back(c.logPrefix + n);
    EXPECT_EQ(LogLines(c.logPrefix), log);
    EXPECT_EQ(Count(StatusError), c.errors);
    EXPECT_EQ(statuses.back().kind, StatusFinished);
    const bool kept = c.done || c.file == "nothing.zq";
    EXPECT_EQ(host.Connected(), kept);
    EXPECT_EQ(LogCount("Serious error, disconnecting"), kept ? 0 : 1);
  }
  EXPECT_EQ(statuses[0].message, "Error (Unable to open file " + (dir / "nothing.zq") + " 2 (No such file or directory))");
}

// On a line that records the time-outs asked (a serial port waits its own
// presets): every reply is waited for 2.5 s.
TEST_F(YModemTX, EveryReplyIsWaitedForTheReplyTimeOut) {
  MakeFile(100);
  auto [pc, calculator] = TMemoryLink::Pair(host, host);
  calculator->WriteComm(std::string(1, NAK) + std::string(2, ACK));  // the start, the block, the end
  TYModemTX tx(*pc, dir / "obj.zq", true, "", Recorder());
  EXPECT_EQ(RunTransfer(tx, *dialog, "Copying test"), kModalOk);
  EXPECT_EQ(pc->TimeoutsAsked(), std::set<int>{2500});
}

TEST_F(YModemTX, ATerminateRequestEndsTheTransferWithCancelBytes) {
  MakeFile(50000);
  TYModemTX tx(link, dir / "obj.zq", false, "", Recorder());
  std::string tail;
  Run(tx, [&] {
    pty.Write(std::string(1, NAK));
    pty.Read(1029);
    host.RequestCancel();
    pty.Write(std::string(1, ACK));
    // Whatever else comes, it ends in three CAN bytes.
    std::string all;
    for (std::string b; !all.ends_with(std::string(3, CAN)) && !(b = pty.Read(1, 5000)).empty();) all += b;
    tail = all.substr(all.size() >= 3 ? all.size() - 3 : 0);
  });
  EXPECT_FALSE(tx.Done());
  EXPECT_EQ(tail, std::string(3, CAN)) << TLogBook::Instance().Text();
  EXPECT_FALSE(host.Connected());
}

TEST_F(YModemTX, TheRawStreamIsLengthPrefixedAndClosesTheLink) {
  std::ofstream(dir / "rom.bin", std::ios::binary) << "ABCDE";
  TSTX stx(link, dir / "rom.bin", Recorder());
  std::string wire;
  Run(stx, [&] { wire = pty.Read(9, 5000); });
  EXPECT_TRUE(stx.Sent());
  EXPECT_EQ(wire, std::string("\x05\x00\x00\x00", 4) + "ABCDE");
  EXPECT_FALSE(link.IsOpen()) << "the link is closed";
  EXPECT_EQ(statuses.front().message, "Connecting ...");

  link.OpenComm(pty.path(), 115200);
  statuses.clear();
  TSTX missing(link, dir / "none.bin", Recorder());
  Run(missing, [] {});
  EXPECT_FALSE(missing.Sent());
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(Count(StatusError), 1);
  EXPECT_EQ(statuses.back().kind, StatusFinished);
}

}  // namespace
}  // namespace bridgit
