#include "support/patterned_bytes.h"
#include "support/transfer_fixture.h"
#include "transfer/screen_rx.h"

namespace bridgit {
namespace {

using test::Patterned;

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

TEST_F(ScreenRX, EachLayoutIsTakenWholeAShortPicturePaddedAndATooLongOneRefused) {
  const std::string header("\x00\x00\x01\x50\x83", 5), legacy("G\x12\x34\x56\x78", 5);
  struct TCase {
    char lead;
    std::string stream, capture;
    std::vector<std::string> log;
  };
  const TCase cases[] = {
      {0x1B, Patterned(1080), "\x1B" + Patterned(1080), {"Screen capture, first = 0x1B", "Capture of 438 Block="}},
      {0x00, header + Patterned(1360), '\0' + header + Patterned(1360),
       {"Capture of 05 Block=0000015083", "Capture of 550 Block="}},
      // The legacy layout becomes a header layout: one plane, 64 rows of 131 pixels.
      {0x00, legacy + Patterned(1084), std::string("\x00G\x00\x01\x40\x83\x12\x34\x56\x78", 10) + Patterned(1084),
       {"Capture of 05 Block=4712345678", "Capture of 43C Block="}},
      {0x1B, Patterned(500), "\x1B" + Patterned(500) + std::string(580, '\0'), {"Capture of 438 Block="}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(&c - cases);
    TLogBook::Instance().Clear();
    const TTickMs paused = PausedMsTotal();
    EXPECT_EQ(Capture(c.lead, c.stream), c.capture);
    EXPECT_TRUE(done);
    EXPECT_EQ(PausedMsTotal() - paused, 300 + 100) << "after the capture, after the dialog";
    for (const std::string& line : c.log) EXPECT_EQ(LogCount(line), 1) << line;
  }
  // More than 2176 bytes is refused.
  EXPECT_EQ(Capture(0x00, std::string("\x00\x00\x02\x50\x83", 5)), "");
  EXPECT_FALSE(done);
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0], (std::pair<std::string, std::string>{"Read Error", "Cannot read Calculator screen."}));
  EXPECT_FALSE(host.Connected());
}

}  // namespace
}  // namespace bridgit
