#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "sim/paced_relay.h"
#include "support/patterned_bytes.h"
#include "support/pty_pair.h"

namespace bridgit {
namespace {

TEST(PacedRelay, CarriesBothWaysIntactAndNeverFasterThanTheLine) {
  test::TPtyPair a, b;
  sim::TPacedRelay relay(a.master(), b.master(), 9600);
  const std::string one = test::Patterned(480), two(one.rbegin(), one.rbegin() + 300);

  const auto readAll = [](int fd, std::size_t n) {
    std::string got;
    char buf[512];
    for (ssize_t r; got.size() < n && (r = ::read(fd, buf, sizeof buf)) > 0;) got.append(buf, static_cast<std::size_t>(r));
    return got;
  };
  const auto start = std::chrono::steady_clock::now();
  std::thread reverse([&] { ::write(b.slave(), two.data(), two.size()); });
  ASSERT_EQ(::write(a.slave(), one.data(), one.size()), static_cast<ssize_t>(one.size()));
  const std::string atB = readAll(b.slave(), one.size());
  const auto took = std::chrono::steady_clock::now() - start;
  const std::string atA = readAll(a.slave(), two.size());
  reverse.join();
  EXPECT_EQ(atB, one);
  EXPECT_EQ(atA, two);
  // 480 bytes of 10 bits at 9600 baud take half a second on a real line.
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), 495);
  relay.Stop();
  EXPECT_EQ(relay.BytesAtoB(), one.size());
  EXPECT_EQ(relay.BytesBtoA(), two.size());
}

}  // namespace
}  // namespace bridgit
