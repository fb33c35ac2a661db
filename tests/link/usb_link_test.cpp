#include <gtest/gtest.h>

#include <future>

#include "base/clock.h"
#include "base/log.h"
#include "link/comm_error.h"
#include "link/usb_link.h"
#include "support/log_lines.h"
#include "support/patterned_bytes.h"
#include "support/recording_host.h"
#include "support/usb_pipes.h"

namespace bridgit {
namespace {

using test::LogCount;

class UsbLink : public ::testing::Test {
 protected:
  void SetUp() override {
    TLogBook::Instance().Clear();
    device.PlugIn();
  }
  void TearDown() override {
    link.CloseComm();
  }
  test::TRecordingHost host;
  TUsbLink link{host};
  test::TTempDir root;
  test::TUsbDevice device{root};
};

TEST_F(UsbLink, OpensByNameInAnyCaseAndCarriesBytesBothWays) {
  link.OpenComm("ZQX3G+", 115200);
  EXPECT_TRUE(host.Connected());
  EXPECT_EQ(link.Mode(), ModeUsb);
  EXPECT_EQ(link.Timing().AfterPulse, Usb.AfterPulse);

  link.WriteComm("E");
  SleepMs(20);
  EXPECT_EQ(device.Received(), "E");

  // 100 bytes arrive as two thread reads of 64 and 36.
  const std::string data = test::Patterned(110);
  device.Send(data.substr(0, 100));
  std::string buf(100, '\0');
  EXPECT_EQ(link.ReadComm(buf, 2500), 100);
  EXPECT_EQ(buf, data.substr(0, 100));
  // A following request is served by the next thread read.
  device.Send(data.substr(100));
  std::string ten(10, '\0');
  EXPECT_EQ(link.ReadComm(ten, 2500), 10);
  EXPECT_EQ(ten, data.substr(100));
}

TEST_F(UsbLink, ASilentCalculatorEndsInTheFatalPathAfterTheLimit) {
  link.OpenComm("ZQx3G+", 115200);
  const TTickMs start = TickCount();
  std::string one(1, '\0');
  EXPECT_THROW(link.ReadComm(one, 2500), TConnectionError);
  EXPECT_GE(TickCount() - start, kUsbSilenceLimitMs);
  EXPECT_GT(LogCount("SafeRd TimeOut"), 10);
  EXPECT_GT(LogCount("No data, time count = "), 10);
  EXPECT_EQ(LogCount("ReadFile exceeded maximum time for reads of zero bytes"), 1);
  EXPECT_EQ(LogCount("Serious error, disconnecting"), 1);
  EXPECT_FALSE(host.Connected());
}

TEST_F(UsbLink, AVisibleStatusDialogKeepsTheLinkThroughSilence) {
  link.OpenComm("ZQx3G+", 115200);
  host.SetCommandStatusVisible(true);
  std::string one(1, '\xFF');
  EXPECT_EQ(link.ReadComm(one, 2500), 0);
  EXPECT_EQ(one[0], '\0');
  EXPECT_EQ(LogCount("ReadFile exceeded maximum time for reads of zero bytes"), 1);
  EXPECT_EQ(LogCount("Serious error, disconnecting"), 0);
  EXPECT_TRUE(host.Connected());

  // The next silent read counts from the earlier first empty attempt and gives
  // up at once: the request left outstanding is still answered later.
  host.SetCommandStatusVisible(false);
  host.SetPromptVisible(true);
  device.Send("Z");
  EXPECT_EQ(link.ReadComm(one, 100), 1);
  EXPECT_EQ(one, "Z");
}

TEST_F(UsbLink, ARequestStartsANewSilenceCountSoAnIdleLinkSurvivesASlowAnswer) {
  link.OpenComm("ZQx3G+", 115200);
  std::string one(1, '\0');
  EXPECT_EQ(link.ReadComm(one, 100), 0);  // a read that times out: the silence count has begun
  SleepMs(kUsbSilenceLimitMs + 200);  // the link then lies idle
  // The calculator answers the request well after the first 80 ms read slice.
  auto calculator = std::async(std::launch::async, [this] {
    std::string got;
    while (got.empty()) {
      SleepMs(5);
      got = device.Received();
    }
    SleepMs(300);
    device.Send("A");
    return got;
  });
  link.WriteComm("E");
  EXPECT_EQ(link.ReadComm(one, 2500), 1);
  EXPECT_EQ(one, "A");
  EXPECT_EQ(calculator.get(), "E");
  EXPECT_TRUE(host.Connected());
  EXPECT_EQ(LogCount("Serious error, disconnecting"), 0);
}

TEST_F(UsbLink, ClearInputDropsWhatIsComingCloseReturnsAndAGoneCalculatorIsSilence) {
  link.OpenComm("ZQx3G+", 115200);
  device.Send(std::string(500, 'g'));
  link.ClearInput();
  EXPECT_GT(LogCount("**** ReadComm returning partial string"), 0);  // the drain reads as any read does
  std::string buf(4, '\0');
  EXPECT_EQ(link.ReadComm(buf, 50), 0);

  // The reader thread now sits in a blocking read of a silent pipe.
  auto closing = std::async(std::launch::async, [this] { link.CloseComm(); });
  EXPECT_EQ(closing.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_FALSE(link.IsOpen());
  EXPECT_FALSE(link.HasReader());

  // A calculator that goes away is silence, not a spin; a device with nobody
  // at the calculator's end does not open.
  link.OpenComm("ZQx3G+", 115200);
  device.Unplug();
  host.SetCommandStatusVisible(true);
  EXPECT_EQ(link.ReadComm(buf, 300), 0);
  link.CloseComm();
  EXPECT_THROW(link.OpenComm("ZQx3G+", 115200), TConnectionError);
  EXPECT_FALSE(link.IsOpen());
  EXPECT_THROW(link.OpenComm("ZQx3G+_3", 115200), TConnectionError);
}

}  // namespace
}  // namespace bridgit
