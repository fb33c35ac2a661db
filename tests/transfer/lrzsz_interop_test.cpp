// The transfer threads against an independent XModem implementation: lrzsz's
// sx and rx, run behind socat in checksum mode.
#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "base/log.h"
#include "link/comm_port.h"
#include "support/child_process.h"
#include "support/patterned_bytes.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "transfer/transfer_starter.h"
#include "transfer/ymodem_rx.h"
#include "transfer/ymodem_tx.h"

namespace bridgit {
namespace {

using test::Slurp;

// The size of the file and whether it goes in 1K blocks.
class Lrzsz : public ::testing::TestWithParam<std::tuple<std::size_t, bool>> {
 protected:
  void TearDown() override { port.CloseComm(); }
  // socat joins a new terminal (linked at `line`) to the program's standard
  // input and output; the program runs in the test's folder (rx writes only
  // there).
  std::unique_ptr<test::TChildProcess> Peer(const std::string& command) {
    auto child = std::make_unique<test::TChildProcess>(std::vector<std::string>{
        "timeout", "60", "socat", "pty,raw,echo=0,link=" + line, "EXEC:" + command}, dir.path().string());
    EXPECT_TRUE(test::WaitForPath(line, 10000));
    return child;
  }
  const std::size_t size = std::get<0>(GetParam());
  const bool largeBlocks = std::get<1>(GetParam());
  test::TRecordingHost host;
  test::TTempDir dir;
  std::string line = dir / "line";
  TCommPort port{host};
};

TEST_P(Lrzsz, SxSendsToTheReceiver) {
  const std::string data = test::Patterned(size);
  std::ofstream(dir / "out.bin", std::ios::binary) << data;
  auto sx = Peer("sx -q " + std::string(largeBlocks ? "-k " : "") + (dir / "out.bin"));
  port.OpenComm(line, 115200);
  auto dialog = host.CreateCommStatusDialog();
  TYModemRX rx(port, dir / "in.bin", true, static_cast<std::uint32_t>(size), ForwardTo(*dialog));
  RunTransfer(rx, *dialog, "Copying");
  EXPECT_TRUE(rx.Done()) << TLogBook::Instance().Text();
  EXPECT_EQ(Slurp(dir / "in.bin"), data);
  EXPECT_EQ(sx->Wait(30000), 0);
}

TEST_P(Lrzsz, RxReceivesFromTheSender) {
  const std::string data = test::Patterned(size);
  std::ofstream(dir / "out.bin", std::ios::binary) << data;
  auto rx = Peer("rx -q -b in.bin");
  port.OpenComm(line, 115200);
  auto dialog = host.CreateCommStatusDialog();
  TYModemTX tx(port, dir / "out.bin", !largeBlocks, "", ForwardTo(*dialog));
  RunTransfer(tx, *dialog, "Copying");
  EXPECT_TRUE(tx.Done()) << TLogBook::Instance().Text();
  EXPECT_EQ(rx->Wait(30000), 0);
  const std::string got = Slurp(dir / "in.bin");
  ASSERT_GE(got.size(), data.size());
  EXPECT_EQ(got.substr(0, data.size()), data);
}

// The block boundaries are the unit tests' business; here, that a real peer agrees.
INSTANTIATE_TEST_SUITE_P(Sizes, Lrzsz, ::testing::Combine(::testing::Values(0, 1025, 100000), ::testing::Bool()),
                         [](const auto& p) { return std::to_string(std::get<0>(p.param)) + (std::get<1>(p.param) ? "_1K" : "_128"); });

}  // namespace
}  // namespace bridgit
