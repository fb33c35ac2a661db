#include <fstream>

#include "support/temp_dir.h"
#include "support/transfer_fixture.h"
#include "transfer/ymodem_tx.h"

namespace bridgit {
namespace {

using namespace xmodem;

struct TFrame {
  char header;
  unsigned number;
  std::string data;
  bool checkOk;
};

class YModemTX : public test::TransferFixture {
 protected:
  std::string MakeFile(std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>((i * 31 + 7) & 0xFF);
    std::ofstream(dir / "obj.zq", std::ios::binary) << bytes;
    return bytes;
  }

  // The calculator's side of a good transfer: start request, then every frame
  // acknowledged until EOT.
  std::vector<TFrame> Receive(char start, TCheckMode mode, bool sendStart = true) {
    std::vector<TFrame> frames;
    if (sendStart) pty.Write(std::string(1, start));
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

  test::TTempDir dir;
};

TEST_F(YModemTX, BlockSizesPaddingAndCheckModes) {
  struct TCase {
    std::size_t size;
    bool small;
    char start;
    TCheckMode mode;
    std::string headers;  // S for SOH, X for STX
  };
  const TCase cases[] = {
      {100, false, NAK, TCheckMode::kChecksum, "S"},
      {1024, false, StartArc, TCheckMode::kCrcArc, "X"},
      {1023, false, StartKermit, TCheckMode::kCrcKermit, "SSSSSSSS"},
      {2000, false, NAK, TCheckMode::kChecksum, "XSSSSSSSS"},
      {1500, true, NAK, TCheckMode::kChecksum, "SSSSSSSSSSSS"},
      {0, false, StartArc, TCheckMode::kCrcArc, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.size);
    const std::string bytes = MakeFile(c.size);
    statuses.clear();
    TYModemTX tx(link, dir / "obj.zq", c.small, "", Recorder());
    std::vector<TFrame> frames;
    EXPECT_EQ(Run(tx, [&] { frames = Receive(c.start, c.mode); }), kModalOk);
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

TEST_F(YModemTX, AStartRequestAlreadyReadIsUsedAndBlock256WrapsToZero) {
  const std::string bytes = MakeFile(256 * 128 + 5);
  TYModemTX tx(link, dir / "obj.zq", true, std::string(1, NAK), Recorder());
  std::vector<TFrame> frames;
  Run(tx, [&] { frames = Receive(NAK, TCheckMode::kChecksum, false); });
  EXPECT_TRUE(tx.Done());
  ASSERT_EQ(frames.size(), 257u);
  EXPECT_EQ(frames[255].number, 0u);
  EXPECT_EQ(frames[256].number, 1u);
}

TEST_F(YModemTX, StrayRepliesResendWithoutCountingNaksAndSilenceDo) {
  MakeFile(100);
  TYModemTX tx(link, dir / "obj.zq", false, "", Recorder());
  int frames = 0;
  Run(tx, [&] {
    pty.Write(std::string(1, NAK));
    // A stray 'A', then five NAKs: the sixth frame is accepted.
    for (char reply : std::string("A\x15\x15\x15\x15\x15\x06")) {
      const std::string f = pty.Read(3 + 128 + 1);
      frames += f.size() == 132u ? 1 : 0;
      pty.Write(std::string(1, reply));
    }
    ReadByte();
    pty.Write(std::string(1, ACK));
  });
  EXPECT_TRUE(tx.Done());
  EXPECT_EQ(frames, 7);
  EXPECT_EQ(Count(StatusError), 6);
}

TEST_F(YModemTX, SixNaksForOneBlockCancelTheTransfer) {
  MakeFile(300);
  TYModemTX tx(link, dir / "obj.zq", false, "", Recorder());
  std::string tail;
  Run(tx, [&] {
    pty.Write(std::string(1, NAK));
    for (int i = 0; i < 6; ++i) {
      pty.Read(132);
      pty.Write(std::string(1, NAK));
    }
    tail = pty.Read(3, 5000);
  });
  EXPECT_FALSE(tx.Done());
  EXPECT_EQ(tail, std::string(3, CAN));
  EXPECT_FALSE(host.Connected());
  EXPECT_EQ(LogCount("Serious error, disconnecting"), 1);
  EXPECT_EQ(statuses.back().kind, StatusFinished);
}

TEST_F(YModemTX, CanFromTheCalculatorAndAMissingFile) {
  MakeFile(10);
  {
    TYModemTX tx(link, dir / "obj.zq", false, "", Recorder());
    std::string tail;
    Run(tx, [&] {
      pty.Write(std::string(1, CAN));
      tail = pty.Read(3, 5000);
    });
    EXPECT_FALSE(tx.Done());
    EXPECT_EQ(tail, std::string(3, CAN));
  }
  link.OpenComm(pty.path(), 115200);
  statuses.clear();
  TYModemTX missing(link, dir / "nothing.zq", false, std::string(1, NAK), Recorder());
  std::string tail;
  Run(missing, [&] { tail = pty.Read(3, 5000); });
  EXPECT_FALSE(missing.Done());
  EXPECT_EQ(tail, std::string(3, CAN));
  ASSERT_GE(statuses.size(), 1u);
  EXPECT_EQ(statuses[0].message, "Error (Unable to open file " + (dir / "nothing.zq") + " 2 (No such file or directory))");
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
    for (std::string b; !(b = pty.Read(1, 5000)).empty();) all += b;
    tail = all.substr(all.size() >= 3 ? all.size() - 3 : 0);
  });
  EXPECT_FALSE(tx.Done());
  EXPECT_EQ(tail, std::string(3, CAN)) << TLogBook::Instance().Text();
  EXPECT_FALSE(host.Connected());
}

TEST_F(YModemTX, StrayRepliesAreBoundedToo) {
  MakeFile(100);
  TYModemTX tx(link, dir / "obj.zq", false, std::string(1, NAK), Recorder());
  std::string tail;
  Run(tx, [&] {
    for (int i = 0; i < 6; ++i) {
      pty.Read(132);
      pty.Write("?");
    }
    tail = pty.Read(3, 5000);
  });
  EXPECT_FALSE(tx.Done());
  EXPECT_EQ(tail, std::string(3, CAN));
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
