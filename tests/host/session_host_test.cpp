#include <gtest/gtest.h>

#include <thread>

#include "base/log.h"
#include "host/hand_over.h"
#include "host/prompt_kinds.h"
#include "host/prompt_texts.h"
#include "support/recording_host.h"

namespace bridgit {
namespace {

TEST(SessionHost, ModelsFlagsBusyAndTheStatusDialog) {
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

  // Flags as read at connection.
  EXPECT_EQ(host.CalculatorFlags(), "00000000");
  EXPECT_EQ(host.DecimalSeparator(), '.');
  EXPECT_FALSE(host.FlagM36IsSet());
  host.SetCalculatorFlags("01");
  EXPECT_EQ(host.DecimalSeparator(), ',');
  host.SetCalculatorFlags("1");
  EXPECT_TRUE(host.FlagM36IsSet());
  EXPECT_EQ(host.DecimalSeparator(), '.');

  // Busy changes the controls only on a different value.
  const int updates = host.updates;
  host.SetBusy(true);
  host.SetBusy(true);
  EXPECT_EQ(host.updates, updates + 1);
  host.SetBusy(false);
  EXPECT_EQ(host.updates, updates + 2);

  // Leaving the connected state closes the command status dialog.
  host.SetConnected(true);
  host.SetCommandStatusVisible(true);
  host.SetBusy(true);
  host.SetConnected(false);
  EXPECT_FALSE(host.CommandStatusVisible());
  EXPECT_FALSE(host.Busy()) << "a command whose link dropped leaves the window busy";
}

// Each prompt's instructions in its mode (the lengths of the calculator's own
// texts), and its buttons.
TEST(Prompts, TextsAndButtonsByKind) {
  struct TCase {
    int kind;
    bool rpn;
    std::size_t length;
    std::string starts, ok;
    bool cancel, modeless;
  };
  const TCase cases[] = {
      {kPromptServerDownload, true, 197, "On the ZQ71G(X):\r\n\r\n1.", "OK", true, true},
      {kPromptServerSent, false, 348, "On the ZQ71G(X):\r\n\r\n1.  The", "OK", false, false},
      {kPromptCapture, true, 187, "Setup", "OK", true, true},
      {kPromptDownload, false, 332, "On the ZQ73G+", "OK", true, true},
      {kPromptDownload, true, 286, "On the ZQ73G+", "OK", true, true},
      {kPromptDownloaded, true, 101, "On the Calculator:", "OK", false, false},
      {kPromptUpload, false, 276, "On the ZQ73G+", "OK", true, false},
      {kPromptUpload, true, 230, "On the ZQ73G+", "OK", true, false},
      {kPromptRom, false, 173, "On the Calculator:", "OK", true, false},
      {kPromptStartServer, false, 272, "To Start", "OK", true, false},
      {kPromptStartServer, true, 257, "To Start", "OK", true, false},
      {kPromptRestored, true, 332, "The Calculator", "Connect", true, false},
      {kPromptAnotherCapture, false, 59, "Another", "OK", true, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.kind);
    const TPromptShape s = ShapePrompt(c.kind, c.rpn, "", "");
    EXPECT_EQ(s.text.size(), c.length);
    EXPECT_EQ(s.text.substr(0, c.starts.size()), c.starts);
    EXPECT_EQ(s.okCaption, c.ok);
    EXPECT_EQ(s.cancelVisible, c.cancel);
    EXPECT_EQ(s.modeless, c.modeless);
    EXPECT_EQ(s.caption, c.kind == kPromptRestored ? "Wait for the Calculator" : "Set the Calculator");
  }
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
