// The receiver against senders that never stop: each must end in an error
// after a bounded exchange, keeping no file and no unbounded memory.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"
#include "support/transfer_fixture.h"
#include "transfer/ymodem_rx.h"

namespace bridgit {
namespace {

using namespace xmodem;
using test::Slurp;

class YModemRXHostile : public test::TransferFixture {
 protected:
  void SetUp() override {
    TransferFixture::SetUp();
    // A sender that outlives the receiver must never block on a full line.
    ::fcntl(pty.master(), F_SETFL, ::fcntl(pty.master(), F_GETFL) | O_NONBLOCK);
  }

  // The calculator's side: after the start request, sends frame(i) and waits
  // for the reply, for ever, until the PC cancels or stops answering (or the
  // safety count, which only a broken receiver reaches).
  void Flood(const std::function<std::string(int)>& frame, int safety) {
    ASSERT_EQ(ReadByte(), std::string(1, NAK));
    for (int i = 0; i < safety; ++i) {
      pty.Write(frame(i));
      ++framesSent;
      const std::string r = ReadByte(8000);
      if (r.empty() || r[0] == CAN) break;
      if (r[0] == ACK) ++acks;
      if (r[0] == NAK) ++naks;
    }
  }

  bool NoPartFiles() const {
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      if (e.path().string().find(".part-") != std::string::npos) return false;
    return true;
  }

  static std::string Payload(std::size_t n, int seed) { return std::string(n, static_cast<char>('a' + seed % 26)); }

  test::TTempDir dir;
  int framesSent = 0;
  int acks = 0;
  int naks = 0;
};

TEST_F(YModemRXHostile, EndlessDamagedBlocksEndInAnErrorAfterTheLimit) {
  std::ofstream(dir / "old.zq") << "precious";
  TYModemRX rx(link, dir / "old.zq", true, 0, Recorder());
  Run(rx, [&] {
    Flood([](int) {
      std::string f = BuildFrame(1, "data", kSmallBlock, TCheckMode::kChecksum);
      f.back() = static_cast<char>(f.back() + 1);  // wrong checksum
      return f;
    }, 1000);
  });
  EXPECT_FALSE(rx.Done());
  EXPECT_EQ(acks, 0);
  EXPECT_LE(naks, 6);
  EXPECT_LT(framesSent, 10);
  EXPECT_EQ(LogCount("Rx Error #6 bad block"), 1);
  EXPECT_EQ(Slurp(dir / "old.zq"), "precious");
  EXPECT_TRUE(NoPartFiles());
  EXPECT_FALSE(host.Connected());
}

TEST_F(YModemRXHostile, EndlessRepeatsOfBlockOneEndInAnError) {
  TYModemRX rx(link, dir / "rep.zq", true, 0, Recorder());
  Run(rx, [&] { Flood([](int) { return BuildFrame(1, Payload(128, 1), kSmallBlock, TCheckMode::kChecksum); }, 1000); });
  EXPECT_FALSE(rx.Done());
  // The block itself and a few repeats (a lost ACK) are acknowledged; then it ends.
  EXPECT_GE(acks, 2);
  EXPECT_LT(framesSent, 10);
  EXPECT_EQ(LogCount("Rx Error #6 repeated block"), 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "rep.zq"));
  EXPECT_TRUE(NoPartFiles());
}

TEST_F(YModemRXHostile, ABlockDamagedFiveTimesIsStillTakenOnANoisyLine) {
  const std::string data = Payload(200, 3);
  TYModemRX rx(link, dir / "noisy.zq", false, 200, Recorder());
  Run(rx, [&] {
    ASSERT_EQ(ReadByte(), std::string(1, NAK));
    std::string bad = BuildFrame(1, data, kSmallBlock, TCheckMode::kChecksum);
    bad[1] = 7;  // wrong block number and complement
    for (int i = 0; i < 5; ++i) {
      pty.Write(bad);
      ReadByte();
    }
    for (std::uint32_t b = 1; b <= 2; ++b) {
      pty.Write(BuildFrame(b, data.substr((b - 1) * 128), kSmallBlock, TCheckMode::kChecksum));
      ReadByte();
    }
    pty.Write(std::string(1, EOT));
    ReadByte();
  });
  EXPECT_TRUE(rx.Done());
  EXPECT_EQ(rx.Data.substr(0, 200), data);
}

TEST_F(YModemRXHostile, EndlessValidBlocksStopOneBlockPastTheExpectedSize) {
  constexpr std::uint32_t kSize = 1000;
  std::ofstream(dir / "sized.zq") << "precious";
  TYModemRX rx(link, dir / "sized.zq", true, kSize, Recorder());
  Run(rx, [&] {
    Flood([](int i) { return BuildFrame(static_cast<std::uint32_t>(i + 1), Payload(128, i), kSmallBlock, TCheckMode::kChecksum); },
          1000);
  });
  EXPECT_FALSE(rx.Done());
  // Everything of the object and at most one block more, then a refusal.
  EXPECT_GT(acks * 128, static_cast<int>(kSize));
  EXPECT_LE(acks * 128, static_cast<int>(kSize) + 1024);
  EXPECT_EQ(framesSent, acks + 1);
  EXPECT_EQ(Slurp(dir / "sized.zq"), "precious");
  EXPECT_TRUE(NoPartFiles());

  // The same in memory: the data held stays within the same bound.
  pty.Read(16, 300);  // the rest of the cancel
  link.OpenComm(pty.path(), 115200);
  acks = framesSent = 0;
  TYModemRX inMemory(link, dir / "mem.zq", false, kSize, Recorder());
  Run(inMemory, [&] {
    Flood([](int i) { return BuildFrame(static_cast<std::uint32_t>(i + 1), Payload(1024, i), kLargeBlock, TCheckMode::kChecksum); },
          1000);
  });
  EXPECT_FALSE(inMemory.Done());
  EXPECT_LE(inMemory.Data.size(), kSize + 1024u);
  EXPECT_EQ(acks, 1);
}

TEST_F(YModemRXHostile, EndlessValidBlocksWithNoSizeStopAtTheCap) {
  TYModemRX rx(link, dir / "nosize.zq", false, 0, Recorder());
  Run(rx, [&] {
    Flood([](int i) { return BuildFrame(static_cast<std::uint32_t>(i + 1), Payload(1024, i), kLargeBlock, TCheckMode::kChecksum); },
          100000);
  });
  EXPECT_FALSE(rx.Done());
  // More than any calculator holds is still taken; a few MB is the end.
  EXPECT_GE(acks, 2 * 1024);
  EXPECT_LE(acks, 16 * 1024);
  EXPECT_EQ(framesSent, acks + 1);
  EXPECT_LE(rx.Data.size(), 16u * 1024 * 1024);
}

// Another user plants links where the receiver's temporary file could go
// (its old name was the target plus ".part-" and the process id): the file
// received goes to its own new file and the link's target stays as it was.
TEST_F(YModemRXHostile, ALinkPlantedAtTheTemporaryNameIsNeverWrittenThrough) {
  std::ofstream(dir / "victim") << "mine";
  const std::string target = dir / "GOT.zq";
  std::filesystem::create_symlink(dir / "victim", target + ".part-" + std::to_string(::getpid()));
  const std::string data = Payload(100, 4);
  TYModemRX rx(link, target, true, 100, Recorder());
  Run(rx, [&] {
    ASSERT_EQ(ReadByte(), std::string(1, NAK));
    pty.Write(BuildFrame(1, data, kSmallBlock, TCheckMode::kChecksum));
    ReadByte();
    pty.Write(std::string(1, EOT));
    ReadByte();
  });
  ASSERT_TRUE(rx.Done());
  EXPECT_EQ(Slurp(target).substr(0, 100), data);
  EXPECT_EQ(Slurp(dir / "victim"), "mine");
}

}  // namespace
}  // namespace bridgit
