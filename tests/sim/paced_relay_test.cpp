#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "sim/paced_relay.h"
#include "support/pty_pair.h"

namespace bridgit {
namespace {

TEST(PacedRelay, CarriesBothWaysIntactAndNeverFasterThanTheLine) {
  test::TPtyPair a, b;
  sim::TPacedRelay relay(a.master(), b.master(), 9600);
  std::string one, two;
  for (int i = 0; i < 480; ++i) one += static_cast<char>(i);
  for (int i = 0; i < 300; ++i) two += static_cast<char>(255 - i);

  const auto start = std::chrono::steady_clock::now();
  std::thread reverse([&] { ::write(b.slave(), two.data(), two.size()); });
  ASSERT_EQ(::write(a.slave(), one.data(), one.size()), static_cast<ssize_t>(one.size()));
  std::string atB, atA;
  while (atB.size() < one.size()) {
    char buf[512];
    const ssize_t r = ::read(b.slave(), buf, sizeof buf);
    ASSERT_GT(r, 0);
    atB.append(buf, static_cast<std::size_t>(r));
  }
  const auto took = std::chrono::steady_clock::now() - start;
  while (atA.size() < two.size()) {
    char buf[512];
    const ssize_t r = ::read(a.slave(), buf, sizeof buf);
    ASSERT_GT(r, 0);
    atA.append(buf, static_cast<std::size_t>(r));
  }
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
