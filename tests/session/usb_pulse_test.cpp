// The pulse on the USB link against devices that do not stop talking.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/clock.h"
#include "base/log.h"
#include "link/comm_error.h"
#include "link/link.h"
#include "session/xmodem_server.h"
#include "support/line_peer.h"
#include "support/log_lines.h"
#include "support/recording_host.h"
#include "support/usb_pipes.h"

namespace bridgit {
namespace {

using test::LogCount;

class UsbPulse : public ::testing::Test {
 protected:
  void SetUp() override {
    TLogBook::Instance().Clear();
    device.PlugIn();
    server = std::make_unique<TXModemServer>(host);
    server->Channel().Link().OpenComm("ZQx3G+", 115200);
    server->Channel().SetPortName("ZQx3G+");
  }
  void TearDown() override {
    stop = true;
    if (peer.joinable()) peer.join();
    server.reset();
  }

  // The calculator's side: waits for the first M, sends `answer`, then
  // `chunk` every `pauseMs` until the test ends, counting the PC's ACKs.
  void Start(const std::string& answer, const std::string& chunk, int pauseMs, bool cancelOnFirstAck = false) {
    peer = std::thread([=, this]() mutable {
      std::string fromPc;
      while (!stop && fromPc.find('M') == std::string::npos) {
        fromPc += device.Received();
        SleepMs(1);
      }
      device.Send(answer);
      while (!stop) {
        device.Send(chunk);
        for (char c : device.Received()) acks += c == '\x06' ? 1 : 0;
        if (cancelOnFirstAck && acks > 0) host.PressCommandCancel(), cancelOnFirstAck = false;
        SleepMs(pauseMs);
      }
    });
  }

  test::TRecordingHost host;
  test::TTempDir root;
  test::TUsbDevice device{root};
  std::unique_ptr<TXModemServer> server;
  std::atomic<bool> stop{false};
  std::atomic<int> acks{0};
  std::thread peer;
};

struct TStream {
  std::string chunk;
  int pauseMs;
  bool cancel;
  int keepsSending;  // how often the bound is logged
  TTickMs atLeastMs;  // the time bound: load only lengthens it
};

class UsbPulseStreams : public UsbPulse, public ::testing::WithParamInterface<TStream> {};

// A device that floods after its answer, one that trickles a byte every 10 ms
// (never silent for a whole 80 ms slice, unless a loaded machine stalls this
// thread that long, and too slow for the byte bound: only the time bound can
// stop it), and a cancel while the device keeps sending: each ends the pulse
// with the connection error.
TEST_P(UsbPulseStreams, EndInTheConnectionError) {
  const TStream& p = GetParam();
  Start(test::TLinePeer::Packet("123."), p.chunk, p.pauseMs, p.cancel);
  const TTickMs start = TickCount();
  EXPECT_THROW(server->Channel().Pulse(), TConnectionError);
  EXPECT_LT(TickCount() - start, 30000);  // it returns at all, long before anyone reaches for SIGKILL
  EXPECT_GE(TickCount() - start, p.atLeastMs);
  stop = true;
  peer.join();
  EXPECT_EQ(LogCount("Calculator keeps sending after its answer"), p.keepsSending);
  for (const std::string& line : test::LogLines("Calculator keeps sending after its answer, bytes = "))
    if (p.atLeastMs) { EXPECT_LT(std::stoi(line.substr(51)), 600) << "a trickle of 100 bytes a second, for 2 s"; }
  EXPECT_EQ(LogCount("}  End pulse"), 0);
  EXPECT_FALSE(host.CommandCancelled());
  EXPECT_FALSE(host.Connected());
  EXPECT_LT(acks.load(), 200) << "one ACK per read slice: a bounded handful, not hundreds of thousands";
}

INSTANTIATE_TEST_SUITE_P(Devices, UsbPulseStreams,
                         ::testing::Values(TStream{std::string(64, 'x'), 1, false, 1, 0}, TStream{"x", 10, false, 1, 2000},
                                           TStream{"x", 10, true, 0, 0}));

TEST_F(UsbPulse, LateAnswersAreStillDrainedAndThePulseEnds) {
  const std::string packet = test::TLinePeer::Packet("123.");
  Start(packet + packet + packet, "", 1);  // two late answers behind the first
  server->Channel().Pulse();
  EXPECT_EQ(LogCount("}  End pulse"), 1);
  EXPECT_EQ(LogCount("Calculator keeps sending after its answer"), 0);
  EXPECT_EQ(server->Channel().Link().ReadAhead(), 0u);
}

}  // namespace
}  // namespace bridgit
