#include <gtest/gtest.h>

#include "base/log.h"
#include "host/comm_status.h"
#include "transfer/block_checks.h"
#include "transfer/transfer_thread.h"
#include "transfer/xmodem_frame.h"

namespace bridgit {
namespace {

TEST(BlockChecks, PublishedCheckValues) {
  EXPECT_EQ(CrcArc16("123456789"), 0xBB3D);
  EXPECT_EQ(CrcKermit16("123456789"), 0x2189);
  EXPECT_EQ(Checksum8("123456789"), (0x31 + 0x32 + 0x33 + 0x34 + 0x35 + 0x36 + 0x37 + 0x38 + 0x39) % 256);
  EXPECT_EQ(CrcArc16(""), 0);
  EXPECT_EQ(Checksum8(std::string(300, '\xFF')), (300 * 255) % 256);
}

TEST(XModemFrame, LayoutAndCheckByteOrder) {
  using namespace xmodem;
  const std::string f = BuildFrame(256, "abc", kSmallBlock, TCheckMode::kCrcKermit);
  ASSERT_EQ(f.size(), 3 + 128 + 2u);
  EXPECT_EQ(f[0], SOH);
  EXPECT_EQ(f[1], '\0');
  EXPECT_EQ(static_cast<unsigned char>(f[2]), 255);
  EXPECT_EQ(f.substr(3, 3), "abc");
  EXPECT_EQ(f[6], kPadding);
  const std::uint16_t kermit = CrcKermit16(f.substr(3, 128));
  EXPECT_EQ(static_cast<unsigned char>(f[131]), kermit >> 8);
  EXPECT_EQ(static_cast<unsigned char>(f[132]), kermit & 0xFF);
  const std::string arc = BuildFrame(1, std::string(1024, 'z'), kLargeBlock, TCheckMode::kCrcArc);
  EXPECT_EQ(arc[0], STX);
  const std::uint16_t a = CrcArc16(std::string(1024, 'z'));
  EXPECT_EQ(static_cast<unsigned char>(arc[1027]), a & 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(arc[1028]), a >> 8);
  EXPECT_TRUE(IsGoodBlock(std::string_view(arc).substr(1), kLargeBlock, TCheckMode::kCrcArc, 1));
  std::string complement = arc.substr(1);
  complement[1] = '\xFF';  // block 1's complement is 0xFE; 0xFF is block 0's
  EXPECT_FALSE(IsGoodBlock(complement, kLargeBlock, TCheckMode::kCrcArc, 1));
  EXPECT_FALSE(IsGoodBlock(complement, kLargeBlock, TCheckMode::kCrcArc, 0));
}

TEST(ProgressTexts, Wording) {
  EXPECT_EQ(FormatProgress(300, 1200, 999), "300/1200 bytes\r\n(25%)\r\n300 bytes/s");
  EXPECT_EQ(FormatProgress(1024, 1024, 39), "1/1 Kbytes\r\n(99%)\r\n25 Kbytes/s");
  EXPECT_EQ(FormatProgress(5, 0, 10), "");
  EXPECT_EQ(FormatSpeed("C:\\Calc\\FOO.zq", 2048, 1999), "FOO.zq sent/recvd at 1024 bytes/s");
  EXPECT_EQ(FormatSpeed("/home/u/FOO.zq", 2048 * 1000, 99), "FOO.zq sent/recvd at 20000 Kbytes/s");
  EXPECT_EQ(FormatSpeed("", 0, 0), " sent/recvd at 0 bytes/s");
  const std::string bytes("\x57\x00\x01\x40\x83", 5);
  EXPECT_EQ(HexDumpLine("Capture of 05", bytes, -123), "Capture of 05 Block=5700014083   " + bytes);
  EXPECT_EQ(HexDumpLine("x", bytes, 2), "x Block=5700   " + bytes.substr(0, 2));
}

TEST(CommStatusState, DialogRules) {
  TLogBook::Instance().Clear();
  TCommStatusState s;
  s.Update("ignored", 1, 0, 0);  // hidden: nothing, not even a log line
  EXPECT_EQ(TLogBook::Instance().LineCount(), 0u);
  ASSERT_TRUE(s.Open("Copying X", true));
  s.Update("10/20 bytes\r\n(50%)\r\n5 bytes/s", 2, 20, 10);
  EXPECT_EQ(s.maximum(), 20);
  EXPECT_EQ(s.position(), 10);
  s.Update("Copying X", 1, 0, 0);
  s.Update("0", 4, 0, 0);
  EXPECT_FALSE(s.RequestCancel()) << "Cancel disabled";
  s.Update("1", 4, 0, 0);
  EXPECT_EQ(TLogBook::Instance().Lines(), (std::vector<std::string>{"10/20 bytes", "Copying X", "0", "1"}));
  EXPECT_TRUE(s.RequestCancel());
  EXPECT_EQ(s.result(), kModalCancel);
  // A finish that comes before the dialog is up closes it as soon as it opens;
  // one left over from an earlier transfer is forgotten.
  s.Update("", 3, 0, 0);
  EXPECT_FALSE(s.Open("again", true));
  EXPECT_EQ(s.result(), kModalOk);
  s.Update("", 3, 0, 0);
  s.Prepare();
  EXPECT_TRUE(s.Open("third", false));
  s.Update("", 3, 0, 0);
  EXPECT_FALSE(s.visible());
  EXPECT_EQ(s.result(), kModalOk);
}

}  // namespace
}  // namespace bridgit
