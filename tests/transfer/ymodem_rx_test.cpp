#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"
#include "support/transfer_fixture.h"
#include "transfer/ymodem_rx.h"

namespace bridgit {
namespace {

using namespace xmodem;

std::string Object(std::size_t size) {
  std::string s;
  for (std::size_t i = 0; i < size; ++i) s += static_cast<char>((i * 13 + 5) & 0xFF);
  return s;
}

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
      do pty.Write(frame);
      while (ReadByte() != std::string(1, ACK));
      at += n;
    }
    pty.Write(std::string(1, EOT));
    EXPECT_EQ(ReadByte(), std::string(1, ACK));
  }

  bool Exists(const std::string& path) const { return std::filesystem::exists(path); }
  bool NoPartFiles() const {
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      if (e.path().string().find(".part-") != std::string::npos) return false;
    return true;
  }

  test::TTempDir dir;
};

TEST_F(YModemRX, AKnownSizeIsTrimmedInAFileAndKeptWholeInMemory) {
  const std::string data = Object(200);
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
}

TEST_F(YModemRX, MixedBlockSizesAndBlock256) {
  const std::string data = Object(1024 + 128 + 1024 + 256 * 128);
  std::vector<std::size_t> sizes = {1024, 128, 1024};
  for (int i = 0; i < 256; ++i) sizes.push_back(128);  // block 259 wraps past 256
  TYModemRX rx(link, dir / "big.zq", true, 0, Recorder());
  Run(rx, [&] { Send(data, sizes); });
  EXPECT_TRUE(rx.Done());
  EXPECT_EQ(Slurp(dir / "big.zq"), data);
}

TEST_F(YModemRX, ADamagedBlockIsRefusedAndARepeatedBlockAcknowledgedAndDropped) {
  const std::string data = Object(300);
  TYModemRX rx(link, dir / "z.zq", false, 300, Recorder());
  std::vector<std::string> replies;
  Run(rx, [&] {
    ReadByte();
    std::string bad = BuildFrame(1, data, 128, TCheckMode::kChecksum);
    bad[2] = 0;  // wrong complement
    pty.Write(bad);
    replies.push_back(ReadByte());
    pty.Write(BuildFrame(1, data, 128, TCheckMode::kChecksum));
    replies.push_back(ReadByte());
    // Our ACK "was lost": the sender repeats block 1.
    pty.Write(BuildFrame(1, data, 128, TCheckMode::kChecksum));
    replies.push_back(ReadByte());
    pty.Write(BuildFrame(2, data.substr(128), 128, TCheckMode::kChecksum));
    replies.push_back(ReadByte());
    pty.Write(BuildFrame(3, data.substr(256), 128, TCheckMode::kChecksum));
    replies.push_back(ReadByte());
    pty.Write(std::string(1, EOT));
    replies.push_back(ReadByte());
  });
  EXPECT_EQ(replies, (std::vector<std::string>{"\x15", "\x06", "\x06", "\x06", "\x06", "\x06"}));
  EXPECT_TRUE(rx.Done());
  EXPECT_EQ(rx.Data.substr(0, 300), data);
  EXPECT_EQ(rx.Data.size(), 384u);
  EXPECT_EQ(Count(StatusError), 1);
}

TEST_F(YModemRX, SilenceEndsAfterSixErrorsAndLeavesNoFileAndTheOldOneUntouched) {
  std::ofstream(dir / "old.zq") << "precious";
  TYModemRX rx(link, dir / "old.zq", true, 0, Recorder());
  std::string fromPc;
  Run(rx, [&] {
    for (std::string b; !(b = pty.Read(1, 20000)).empty();) {
      fromPc += b;
      if (fromPc.ends_with(std::string(4, CAN))) break;
    }
  });
  EXPECT_FALSE(rx.Done());
  EXPECT_EQ(fromPc, std::string(7, NAK) + std::string(4, CAN));
  EXPECT_EQ(LogCount("Rx Error #"), 6);
  EXPECT_EQ(LogCount("Rx Error #6 Reply was 0x00"), 1);
  EXPECT_EQ(Slurp(dir / "old.zq"), "precious");
  EXPECT_TRUE(NoPartFiles());
  EXPECT_FALSE(host.Connected());
}

TEST_F(YModemRX, EndOfTransmissionFirstGivesAnEmptyFile) {
  TYModemRX rx(link, dir / "empty.zq", true, 0, Recorder());
  Run(rx, [&] {
    ReadByte();
    pty.Write(std::string(1, EOT));
    ReadByte();
  });
  EXPECT_TRUE(rx.Done());
  EXPECT_TRUE(Exists(dir / "empty.zq"));
  EXPECT_EQ(Slurp(dir / "empty.zq"), "");
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

}  // namespace
}  // namespace bridgit
