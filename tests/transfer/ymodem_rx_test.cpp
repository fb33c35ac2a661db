#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "support/patterned_bytes.h"
#include "support/temp_dir.h"
#include "support/transfer_fixture.h"
#include "link/memory_link.h"
#include "transfer/ymodem_rx.h"

namespace bridgit {
namespace {

using namespace xmodem;

using test::Patterned;
using test::Slurp;

class YModemRX : public test::TransferFixture {
 protected:
  // The calculator's side: waits for the start request, sends each block until
  // it is acknowledged, then EOT.
  void Send(const std::string& data, const std::vector<std::size_t>& blockSizes) {
    EXPECT_EQ(ReadByte(), std::string(1, NAK));
    std::size_t at = 0;
    std::uint32_t number = 1;
    for (std::size_t n : blockSizes) {
      const std::string frame = BuildFrame(number++, data.substr(std::min(at, data.size())), n, TCheckMode::kChecksum);
      for (int tries = 0; tries < 10; ++tries) {  // bounded: a receiver that gave up answers nothing
        pty.Write(frame);
        if (ReadByte() == std::string(1, ACK)) break;
      }
      at += n;
    }
    pty.Write(std::string(1, EOT));
    EXPECT_EQ(ReadByte(), std::string(1, ACK));
  }

  // A sender that never stops: after the start request, frame(i) and its
  // reply, for ever, until the PC cancels or stops answering (or the safety
  // count, which only a broken receiver reaches).
  void Flood(const std::function<std::string(int)>& frame, int safety) {
    // A sender that outlives the receiver must never block on a full line.
    ::fcntl(pty.master(), F_SETFL, ::fcntl(pty.master(), F_GETFL) | O_NONBLOCK);
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
  static std::string Frame(int i, std::size_t n) {
    return BuildFrame(static_cast<std::uint32_t>(i + 1), std::string(n, static_cast<char>('a' + i % 26)), n,
                      TCheckMode::kChecksum);
  }

  bool Exists(const std::string& path) const { return std::filesystem::exists(path); }
  bool NoPartFiles() const {
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      if (e.path().string().find(".part-") != std::string::npos) return false;
    return true;
  }

  test::TTempDir dir;
  int framesSent = 0, acks = 0, naks = 0;
};

TEST_F(YModemRX, AKnownSizeIsTrimmedInAFileAndKeptWholeInMemory) {
  const std::string data = Patterned(200);
  TYModemRX toFile(link, dir / "x.zq", true, 200, Recorder());
  EXPECT_EQ(Run(toFile, [&] { Send(data, {128, 128}); }), kModalOk);
  EXPECT_TRUE(toFile.Done());
  EXPECT_EQ(Slurp(dir / "x.zq"), data);
  EXPECT_TRUE(NoPartFiles());

  TYModemRX inMemory(link, dir / "y.zq", false, 200, Recorder());
  Run(inMemory, [&] { Send(data, {128, 128}); });
  EXPECT_TRUE(inMemory.Done());
  EXPECT_EQ(inMemory.Data.size(), 256u);
  EXPECT_EQ(inMemory.Data.substr(0, 200), data);
  EXPECT_FALSE(Exists(dir / "y.zq"));

  // Mixed block sizes, past block 256; then nothing but the end of transmission: an empty file.
  const std::string big = Patterned(1024 + 128 + 1024 + 256 * 128);
  std::vector<std::size_t> sizes = {1024, 128, 1024};
  sizes.resize(3 + 256, 128);  // block 259 wraps past 256
  for (const auto& [name, sent, blocks] : std::vector<std::tuple<const char*, std::string, std::vector<std::size_t>>>{
           {"big.zq", big, sizes}, {"empty.zq", "", {}}}) {
    TYModemRX rx(link, dir / name, true, 0, Recorder());
    Run(rx, [&] { Send(sent, blocks); });
    EXPECT_TRUE(rx.Done()) << name;
    EXPECT_TRUE(Exists(dir / name)) << name;
    EXPECT_EQ(Slurp(dir / name), sent) << name;
  }
}

// A line that records the time-outs it is asked for (a serial port waits its
// own presets instead): every read of the receiver waits 2.5 s.
TEST_F(YModemRX, EveryReadWaitsTheReplyTimeOut) {
  auto [pc, calculator] = TMemoryLink::Pair(host, host);
  calculator->WriteComm(BuildFrame(1, Patterned(128), 128, TCheckMode::kChecksum) + std::string(1, EOT));
  TYModemRX rx(*pc, dir / "t.zq", false, 128, Recorder());
  RunTransfer(rx, *dialog, "Copying test");
  EXPECT_TRUE(rx.Done());
  EXPECT_EQ(pc->TimeoutsAsked(), std::set<int>{2500});
}

TEST_F(YModemRX, ADamagedBlockIsRefusedAndARepeatedBlockAcknowledgedAndDropped) {
  const std::string data = Patterned(300);
  TYModemRX rx(link, dir / "z.zq", false, 300, Recorder());
  const std::string first = BuildFrame(1, data, 128, TCheckMode::kChecksum);
  std::string bad = first;
  bad[2] = 0;  // wrong complement
  // Block 1 is repeated as if our ACK was lost.
  const std::string sent[] = {bad, first, first, BuildFrame(2, data.substr(128), 128, TCheckMode::kChecksum),
                              BuildFrame(3, data.substr(256), 128, TCheckMode::kChecksum), std::string(1, EOT)};
  std::string replies;
  Run(rx, [&] {
    ReadByte();
    for (const std::string& frame : sent) {
      pty.Write(frame);
      replies += ReadByte();
    }
  });
  EXPECT_EQ(replies, "\x15\x06\x06\x06\x06\x06");
  EXPECT_TRUE(rx.Done());
  EXPECT_EQ(rx.Data.substr(0, 300), data);
  EXPECT_EQ(rx.Data.size(), 384u);
  EXPECT_EQ(Count(StatusError), 1);
}

TEST_F(YModemRX, SilenceEndsAfterSixErrorsAndLeavesNoFileAndTheOldOneUntouched) {
  std::ofstream(dir / "old.zq") << "precious";
  TYModemRX rx(link, dir / "old.zq", true, 0, Recorder());
  std::string fromPc;
  const TTickMs start = TickCount(), paused = PausedMsTotal();
  Run(rx, [&] {
    for (std::string b; !(b = pty.Read(1, 20000)).empty();) {
      fromPc += b;
      if (fromPc.ends_with(std::string(4, CAN))) break;
    }
  });
  EXPECT_FALSE(rx.Done());
  EXPECT_EQ(fromPc, std::string(7, NAK) + std::string(4, CAN));
  EXPECT_GE(TickCount() - start, 6 * 2500) << "each of the six waits for a header lasts 2.5 s at least";
  EXPECT_EQ(PausedMsTotal() - paused, 100 + 100 + 100) << "of the fatal path, after the error, after the dialog";
  EXPECT_EQ(LogCount("Rx Error #"), 6);
  EXPECT_EQ(LogCount("Rx Error #6 Reply was 0x00"), 1);
  EXPECT_EQ(Slurp(dir / "old.zq"), "precious");
  EXPECT_TRUE(NoPartFiles());
  EXPECT_FALSE(host.Connected());
}

TEST_F(YModemRX, CancelByTheCalculatorOrByTheUser) {
  std::ofstream(dir / "keep.zq") << "keep";
  {
    TYModemRX rx(link, dir / "keep.zq", false, 0, Recorder());  // memory mode: the file is not touched
    std::string tail;
    Run(rx, [&] {
      ReadByte();
      pty.Write(BuildFrame(1, "abc", 128, TCheckMode::kChecksum));
      ReadByte();
      pty.Write(std::string(1, CAN));
      tail = pty.Read(4, 5000);
    });
    EXPECT_FALSE(rx.Done());
    EXPECT_EQ(tail, std::string(4, CAN));
    EXPECT_EQ(Slurp(dir / "keep.zq"), "keep");
  }
  link.OpenComm(pty.path(), 115200);
  TYModemRX rx(link, dir / "cancelled.zq", true, 0, Recorder());
  std::string tail;
  const int result = Run(rx, [&] {
    ReadByte();
    pty.Write(BuildFrame(1, "abc", 128, TCheckMode::kChecksum));
    ReadByte();
    host.RequestCancel();
    // It may first ask again (NAK) before it sees the request.
    for (std::string b; !tail.ends_with(std::string(4, CAN)) && !(b = pty.Read(1, 8000)).empty();) tail += b;
  });
  EXPECT_EQ(result, kModalCancel);
  EXPECT_FALSE(rx.Done());
  EXPECT_TRUE(tail.ends_with(std::string(4, CAN)));
  EXPECT_FALSE(Exists(dir / "cancelled.zq"));
  EXPECT_TRUE(NoPartFiles());
}

TEST_F(YModemRX, AFileThatCannotBeCreated) {
  TYModemRX rx(link, dir / "no/such/folder/x.zq", true, 0, Recorder());
  std::string tail;
  Run(rx, [&] { tail = pty.Read(4, 5000); });
  EXPECT_FALSE(rx.Done());
  EXPECT_EQ(tail, std::string(4, CAN));
  ASSERT_FALSE(statuses.empty());
  EXPECT_EQ(statuses[0].message, "Error (Unable to open file " + (dir / "no/such/folder/x.zq") + " - WinErr=2 (No such file or directory))");
}

// A damaged block, or block 1 again and again: the sixth error ends it. A repeat
// (a lost ACK) is acknowledged; a damaged block never.
TEST_F(YModemRX, EndlessDamagedOrRepeatedBlocksEndInAnErrorAfterTheLimit) {
  std::ofstream(dir / "old.zq") << "precious";
  for (const bool damaged : {true, false}) {
    SCOPED_TRACE(damaged ? "damaged" : "repeated");
    TLogBook::Instance().Clear();
    acks = naks = framesSent = 0;
    TYModemRX rx(link, dir / "old.zq", true, 0, Recorder());
    Run(rx, [&] {
      Flood([&](int) {
        std::string f = Frame(0, kSmallBlock);
        if (damaged) f.back() = static_cast<char>(f.back() + 1);  // wrong checksum
        return f;
      }, 1000);
    });
    EXPECT_FALSE(rx.Done());
    EXPECT_TRUE(damaged ? acks == 0 : acks >= 2) << acks;
    EXPECT_LE(naks, 6);
    EXPECT_LT(framesSent, 10);
    EXPECT_EQ(LogCount(damaged ? "Rx Error #6 bad block" : "Rx Error #6 repeated block"), 1);
    EXPECT_EQ(Slurp(dir / "old.zq"), "precious");
    EXPECT_TRUE(NoPartFiles());
    EXPECT_FALSE(host.Connected());
    pty.Read(16, 300);  // the rest of the cancel
    link.OpenComm(pty.path(), 115200);
  }
}

TEST_F(YModemRX, EndlessValidBlocksStopOneBlockPastTheExpectedSize) {
  constexpr std::uint32_t kSize = 1000;
  std::ofstream(dir / "sized.zq") << "precious";
  TYModemRX rx(link, dir / "sized.zq", true, kSize, Recorder());
  Run(rx, [&] { Flood([](int i) { return Frame(i, kSmallBlock); }, 1000); });
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
  Run(inMemory, [&] { Flood([](int i) { return Frame(i, kLargeBlock); }, 1000); });
  EXPECT_FALSE(inMemory.Done());
  EXPECT_LE(inMemory.Data.size(), kSize + 1024u);
  EXPECT_EQ(acks, 1);
}

TEST_F(YModemRX, EndlessValidBlocksWithNoSizeStopAtTheCap) {
  TYModemRX rx(link, dir / "nosize.zq", false, 0, Recorder());
  Run(rx, [&] { Flood([](int i) { return Frame(i, kLargeBlock); }, 100000); });
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
TEST_F(YModemRX, ALinkPlantedAtTheTemporaryNameIsNeverWrittenThrough) {
  std::ofstream(dir / "victim") << "mine";
  const std::string target = dir / "GOT.zq";
  std::filesystem::create_symlink(dir / "victim", target + ".part-" + std::to_string(::getpid()));
  const std::string data = Patterned(100);
  TYModemRX rx(link, target, true, 100, Recorder());
  Run(rx, [&] { Send(data, {128}); });
  ASSERT_TRUE(rx.Done());
  EXPECT_EQ(Slurp(target).substr(0, 100), data);
  EXPECT_EQ(Slurp(dir / "victim"), "mine");
}

}  // namespace
}  // namespace bridgit
