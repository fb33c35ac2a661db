#include <gtest/gtest.h>

#include <thread>

#include "base/log.h"
#include "host/hand_over.h"
#include "support/recording_host.h"

namespace bridgit {
namespace {

TEST(SessionHost, ModelAndDisplayModel) {
  TLogBook::Instance().Clear();
  test::TRecordingHost host;
  host.SetDisplayModel("73G+");
  host.SetModel("73");
  EXPECT_EQ(host.RootCaption(), "HOME (ZQ-73)");
  host.SetDisplayModel("73G+");
  EXPECT_EQ(host.RootCaption(), "HOME (ZQ-73G+)");
  host.SetDisplayModel("");
  EXPECT_EQ(host.DisplayModel(), "73");
  EXPECT_EQ(TLogBook::Instance().Lines().back(), "Calculator model = 73");
}

TEST(SessionHost, BusyChangesOnlyOnADifferentValue) {
  test::TRecordingHost host;
  host.SetBusy(true);
  host.SetBusy(true);
  EXPECT_EQ(host.updates, 1);
  host.SetBusy(false);
  EXPECT_EQ(host.updates, 2);
}

TEST(SessionHost, FlagsReadAtConnection) {
  test::TRecordingHost host;
  EXPECT_EQ(host.CalculatorFlags(), "00000000");
  EXPECT_EQ(host.DecimalSeparator(), '.');
  EXPECT_FALSE(host.FlagM36IsSet());
  host.SetCalculatorFlags("01");
  EXPECT_EQ(host.DecimalSeparator(), ',');
  host.SetCalculatorFlags("1");
  EXPECT_TRUE(host.FlagM36IsSet());
  EXPECT_EQ(host.DecimalSeparator(), '.');
}

TEST(SessionHost, LeavingTheConnectedStateClosesTheCommandStatusDialog) {
  test::TRecordingHost host;
  host.SetConnected(true);
  host.SetCommandStatusVisible(true);
  host.SetConnected(false);
  EXPECT_FALSE(host.CommandStatusVisible());
}

TEST(HandOver, StepsRunOnTheOwnerThreadAndErrorsComeBack) {
  THandOver handOver;
  std::thread::id ranOn;
  bool caught = false;
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    handOver.Run([&] { ranOn = std::this_thread::get_id(); });
    try {
      handOver.Run([] { throw std::runtime_error("step failed"); });
    } catch (const std::runtime_error&) {
      caught = true;
    }
    finished = true;
  });
  EXPECT_TRUE(handOver.ServeUntil([&] { return finished.load(); }, 5000));
  worker.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_TRUE(caught);
  // On the owner thread a step runs at once.
  int ran = 0;
  handOver.Run([&] { ++ran; });
  EXPECT_EQ(ran, 1);
}

}  // namespace
}  // namespace bridgit
