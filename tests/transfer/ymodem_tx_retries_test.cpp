// How the block sender bears a calculator that asks wrongly for the transfer or
// does not acknowledge its end: how many tries, and what the log says of each.
#include <fstream>

#include "support/temp_dir.h"
#include "support/transfer_fixture.h"
#include "transfer/ymodem_tx.h"

namespace bridgit {
namespace {

using test::LogLines;

const std::string kNak = "\x15", kAck = "\x06", kEot = "\x04", kCan = "\x18";

class YModemTXRetries : public test::TransferFixture {
 protected:
  void SetUp() override {
    TransferFixture::SetUp();
    std::ofstream(dir / "obj.zq", std::ios::binary) << std::string(100, 'q');
  }
  // Takes the one block of the 100-byte file (SOH, number, complement, 128
  // bytes, checksum) and acknowledges it.
  bool TakeTheBlock() {
    const std::string block = pty.Read(1 + 2 + 128 + 1, 5000);
    if (block.size() != 132u || block[0] != '\x01') return false;
    pty.Write(kAck);
    return true;
  }
  test::TTempDir dir;
};

TEST_F(YModemTXRetries, FiveWrongStartCharactersAreBorneTheSixthEndsTheTransfer) {
  {
    TYModemTX tx(link, dir / "obj.zq", false, "", Recorder());
    bool block = false;
    std::string end;
    Run(tx, [&] {
      // Wrong start requests (a zero byte among them), then the right one.
      pty.Write(std::string("x\0E\x06" "A", 5) + kNak);
      block = TakeTheBlock();
      end = ReadByte();
      pty.Write(kAck);
    });
    EXPECT_TRUE(tx.Done());
    EXPECT_TRUE(block);
    EXPECT_EQ(end, kEot);
    EXPECT_EQ(LogLines("Tx needs CRC Flag #"),
              (std::vector<std::string>{"Tx needs CRC Flag #1", "Tx needs CRC Flag #2", "Tx needs CRC Flag #3",
                                        "Tx needs CRC Flag #4", "Tx needs CRC Flag #5"}));
  }
  link.OpenComm(pty.path(), 115200);
  TLogBook::Instance().Clear();
  statuses.clear();
  TYModemTX tx(link, dir / "obj.zq", false, "", Recorder());
  std::string after;
  Run(tx, [&] {
    pty.Write("xyzxyz");
    after = pty.Read(3, 5000);
  });
  EXPECT_FALSE(tx.Done());
  EXPECT_EQ(after, kCan + kCan + kCan) << "no block, only the cancel";
  EXPECT_EQ(LogLines("Tx needs CRC Flag #").size(), 6u);
  EXPECT_EQ(LogLines("Tx needs CRC Flag #").back(), "Tx needs CRC Flag #6");
  EXPECT_FALSE(host.Connected());
  EXPECT_EQ(statuses.back().kind, StatusFinished);
}

TEST_F(YModemTXRetries, EndOfTransmissionIsSentFiveTimesAtMost) {
  {
    TYModemTX tx(link, dir / "obj.zq", false, kNak, Recorder());
    int eots = 0;
    Run(tx, [&] {
      TakeTheBlock();
      // Four refusals; the fifth EOT is acknowledged.
      for (const std::string& reply : {kNak, kNak, std::string("?"), kNak, kAck}) {
        eots += ReadByte() == kEot ? 1 : 0;
        pty.Write(reply);
      }
    });
    EXPECT_TRUE(tx.Done());
    EXPECT_EQ(eots, 5);
    // The first round says nothing; rounds 2 on are counted in the log.
    EXPECT_EQ(LogLines("Tx No ACK for EOT error #"),
              (std::vector<std::string>{"Tx No ACK for EOT error #2", "Tx No ACK for EOT error #3",
                                        "Tx No ACK for EOT error #4", "Tx No ACK for EOT error #5"}));
  }
  link.OpenComm(pty.path(), 115200);
  TLogBook::Instance().Clear();
  TYModemTX tx(link, dir / "obj.zq", false, kNak, Recorder());
  int eots = 0;
  std::string after;
  Run(tx, [&] {
    TakeTheBlock();
    for (int i = 0; i < 5; ++i) {
      eots += ReadByte() == kEot ? 1 : 0;
      pty.Write(kNak);
    }
    after = pty.Read(3, 5000);
  });
  EXPECT_FALSE(tx.Done());
  EXPECT_EQ(eots, 5);
  EXPECT_EQ(after, kCan + kCan + kCan) << "a sixth EOT was sent";
  const auto lines = LogLines("Tx No ACK for EOT error #");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines.front(), "Tx No ACK for EOT error #2");
  EXPECT_EQ(lines.back(), "Tx No ACK for EOT error #6");
}

}  // namespace
}  // namespace bridgit
