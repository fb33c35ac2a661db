#include "support/transfer_fixture.h"
#include "transfer/screen_rx.h"

namespace bridgit {
namespace {

class ScreenRX : public test::TransferFixture {
 protected:
  std::string Capture(char lead, const std::string& stream) {
    TSRX rx(link, std::string(1, lead), Recorder());
    Run(rx, [&] { pty.Write(stream); });
    done = rx.Done();
    return rx.Capture;
  }
  bool done = false;
};

std::string Pattern(std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += static_cast<char>(i * 3);
  return s;
}

TEST_F(ScreenRX, PageLayout) {
  const std::string data = Pattern(1080);
  const std::string c = Capture(0x1B, data);
  EXPECT_TRUE(done);
  ASSERT_EQ(c.size(), 1081u);
  EXPECT_EQ(c[0], 0x1B);
  EXPECT_EQ(c.substr(1), data);
  EXPECT_EQ(LogCount("Screen capture, first = 0x1B"), 1);
}

TEST_F(ScreenRX, HeaderLayout) {
  const std::string header("\x00\x00\x01\x50\x83", 5);
  const std::string data = Pattern(1360);
  const std::string c = Capture(0x00, header + data);
  EXPECT_TRUE(done);
  ASSERT_EQ(c.size(), 1366u);
  EXPECT_EQ(c.substr(1, 5), header);
  EXPECT_EQ(c.substr(6), data);
  EXPECT_EQ(LogCount("Capture of 05 Block=0000015083"), 1);
  EXPECT_EQ(LogCount("Capture of 550 Block="), 1);
}

TEST_F(ScreenRX, LegacyLayoutBecomesAHeaderLayout) {
  const std::string data = Pattern(1084);
  const std::string c = Capture(0x00, std::string("G\x12\x34\x56\x78", 5) + data);
  EXPECT_TRUE(done);
  ASSERT_EQ(c.size(), 1094u);
  EXPECT_EQ(c.substr(0, 10), std::string("\x00G\x00\x01\x40\x83\x12\x34\x56\x78", 10));
  EXPECT_EQ(c.substr(10), data);
}

TEST_F(ScreenRX, AShortPictureIsPaddedWithLightPixels) {
  const std::string c = Capture(0x1B, Pattern(500));
  EXPECT_TRUE(done);
  ASSERT_EQ(c.size(), 1081u);
  EXPECT_EQ(c.substr(501), std::string(580, '\0'));
}

TEST_F(ScreenRX, MoreThan2176BytesIsRefused) {
  const std::string c = Capture(0x00, std::string("\x00\x00\x02\x50\x83", 5));
  EXPECT_FALSE(done);
  EXPECT_TRUE(c.empty());
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0], (std::pair<std::string, std::string>{"Read Error", "Cannot read Calculator screen."}));
  EXPECT_FALSE(host.Connected());
}

}  // namespace
}  // namespace bridgit
