#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "base/log.h"

namespace bridgit {
namespace {

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override { TLogBook::Instance().Clear(); }
  void TearDown() override { TLogBook::Instance().Clear(); }
};

// Lines as written, each seen by the listeners in order until they go.
TEST_F(LogTest, LinesAsWrittenAndTheirListeners) {
  std::vector<std::string> seen;
  int clears = 0;
  const int id = TLogBook::Instance().AddListener([&](const std::string& l) { seen.push_back(l); }, [&] { ++clears; });
  Log("Changing speed to 9600");
  Log("");
  Log("first\r\nsecond");
  EXPECT_EQ(TLogBook::Instance().Lines(), (std::vector<std::string>{"Changing speed to 9600", "", "first", "second"}));
  TLogBook::Instance().Clear();
  TLogBook::Instance().RemoveListener(id);
  Log("after clear");
  EXPECT_EQ(TLogBook::Instance().LineCount(), 1u);
  EXPECT_EQ(seen, (std::vector<std::string>{"Changing speed to 9600", "", "first", "second"}));
  EXPECT_EQ(clears, 1);
}

TEST_F(LogTest, LinesFromManyThreadsLandWholeAndInEachThreadsOrder) {
  constexpr int kThreads = 4, kLines = 2000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) Log("thread " + std::to_string(t) + " line " + std::to_string(i));
    });
  for (auto& th : threads) th.join();
  const auto lines = TLogBook::Instance().Lines();
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
  std::vector<int> next(kThreads, 0);
  for (const auto& l : lines) {
    int t = -1, i = -1;
    ASSERT_EQ(std::sscanf(l.c_str(), "thread %d line %d", &t, &i), 2) << l;
    EXPECT_EQ(i, next[static_cast<std::size_t>(t)]++);
  }
}

}  // namespace
}  // namespace bridgit
