// A long run over a noisy line: objects of random sizes put and fetched again
// many times while the calculator's bytes get random bit flips. Every
// operation either gives exact data or fails cleanly (and a new connection
// goes on); data that arrives changed without an error would be silent
// corruption, and there must be none.
//
// BRIDGIT_SOAK_OPS (default 500) and BRIDGIT_SOAK_SEED (default 1) make longer
// or other runs; the figures are printed as one line for docs/reliability.md.
// Four simulators with seeds of their own share the operations side by side.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>

#include "base/clock.h"
#include "base/files.h"
#include "support/log_lines.h"
#include "support/object_builder.h"
#include "support/session_fixture.h"

namespace bridgit {
namespace {

// One flipped bit in about 5000 bytes: a poor cable that still mostly works.
// (Far noisier lines defeat the 8-bit block sum itself: two flips of the same
// bit in opposite directions within one block leave it unchanged.)
constexpr const char* kNoise = "0.0002";
constexpr int kShards = 4;
constexpr int kStringIcon = 17;

int EnvInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::atoi(v) : fallback;
}

// A String object of random length and content, as a binary object file.
std::string RandomStringFile(std::mt19937& rng) {
  std::string text(1 + rng() % 600, '\0');
  for (char& c : text) c = static_cast<char>(rng() & 0xFF);
  TNibbleWriter w;
  test::PutString(w, text);
  return test::ObjectFile(w);
}

// What the log shows of each retried block, packet or letter.
int CountRetries() {
  int n = 0;
  for (const char* retry : {"CRC problem", "Rx Error #", "Cmnd Packet Error", "Rx repeated block", "Connection Error."})
    n += test::LogCountHolding(retry);
  return n;
}

class Soak : public test::TSessionFixture, public ::testing::WithParamInterface<int> {};

TEST_P(Soak, NoisyLineGivesExactDataOrCleanFailuresNeverSilentCorruption) {
  const int ops = EnvInt("BRIDGIT_SOAK_OPS", 500) / kShards;
  const int seed = EnvInt("BRIDGIT_SOAK_SEED", 1) + GetParam();
  std::mt19937 rng(static_cast<unsigned>(seed));
  host.SetReplacePolicy([](const std::string&, const std::string&) { return kModalYes; });
  Start({"--model", "71GII", "--noise", kNoise, "--seed", std::to_string(seed)});
  int exact = 0, failed = 0, silent = 0, reconnects = 0;
  const auto start = TickCount();
  const auto connect = [&] {
    for (int attempt = 0; attempt < 20 && !host.Connected(); ++attempt) {
      try {
        server->Connect(sim->PcPath());
      } catch (const std::exception&) {
      }
      if (!host.Connected()) sim->Control("server");
    }
    return host.Connected();
  };
  ASSERT_TRUE(connect());
  std::map<std::string, std::string> onCalculator;  // what a put that reported success stored
  for (int i = 0; i < ops; ++i) {
    const std::string name = "S" + std::to_string(rng() % 8);
    const std::string out = dir / "got.zq";
    bool ok = false;
    try {
      if (i % 2 == 0 || !onCalculator.contains(name)) {
        const std::string file = RandomStringFile(rng);
        int error = 0;
        ASSERT_TRUE(WriteFileSafely(dir / "put.zq", file, error));
        bool all = true;
        onCalculator.erase(name);  // unknown until the put says
        if ((ok = server->PutFile(name, dir / "put.zq", 1, all, false))) onCalculator[name] = file;
      } else {
        const std::string& expected = onCalculator[name];
        std::filesystem::remove(out);
        ok = server->GetToFile(name, out, kStringIcon, static_cast<long long>(expected.size() - kObjectHeaderSize));
        EXPECT_EQ(std::filesystem::exists(out), ok) << "operation " << i;
        if (ok) {
          const bool same = test::Slurp(out) == expected;
          exact += same;
          silent += !same;
          EXPECT_TRUE(same) << "operation " << i << ": " << name << " came back changed";
        }
      }
    } catch (const std::exception&) {
      ok = false;
    }
    failed += !ok;
    if (!ok && !host.Connected()) {
      ++reconnects;
      ASSERT_TRUE(connect()) << "no connection after operation " << i;
    }
  }
  std::printf("soak: %d operations, seed %d, noise %s: %d gets exact, %d clean failures, %d reconnections, "
              "%d retries logged, %d silent corruptions, %.0f s\n",
              ops, seed, kNoise, exact, failed, reconnects, CountRetries(), silent,
              static_cast<double>(TickCount() - start) / 1000.0);
  EXPECT_GT(exact, ops / 4) << "the line was too noisy to test anything";
}

INSTANTIATE_TEST_SUITE_P(Shards, Soak, ::testing::Range(0, kShards));

}  // namespace
}  // namespace bridgit
