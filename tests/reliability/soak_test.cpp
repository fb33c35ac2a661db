// A long run over a noisy line: objects of random sizes put and fetched again
// many times while the calculator's bytes get random bit flips. Every
// operation either gives exact data or fails cleanly (and a new connection
// goes on); data that arrives changed without an error would be silent
// corruption, and there must be none.
//
// BRIDGIT_SOAK_OPS (default 500) and BRIDGIT_SOAK_SEED (default 1) make longer
// or other runs; the figures are printed as one line for docs/reliability.md.
// The operations are shared among four simulators with seeds of their own,
// which run side by side: the same work, a quarter of the wait.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

#include "base/clock.h"
#include "base/files.h"
#include "base/log.h"
#include "calcdata/object_types.h"
#include "link/link.h"
#include "session/xmodem_server.h"
#include "support/calcsim_process.h"
#include "support/object_builder.h"
#include "support/recording_host.h"

namespace bridgit {
namespace {

constexpr int kNames = 8;
// One flipped bit in about 5000 bytes: a poor cable that still mostly works.
// (Far noisier lines defeat the XModem block checksum itself: two flips of the
// same bit in opposite directions within one block leave its sum unchanged.)
constexpr const char* kNoise = "0.0002";

int EnvInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::atoi(v) : fallback;
}

// A String object of random length and content, as a binary object file.
std::string RandomStringFile(std::mt19937& rng) {
  const std::size_t length = 1 + rng() % 600;
  std::string text;
  for (std::size_t i = 0; i < length; ++i) text += static_cast<char>(rng() & 0xFF);
  TNibbleWriter w;
  w.Put5(test::Prolog("String"));
  w.Put5(static_cast<std::uint32_t>(5 + 2 * length));
  w.PutBytes(text);
  return test::ObjectFile(w);
}

int StringIcon() {
  for (int row = 0; row < kObjectTypeCount; ++row)
    if (ObjectTypeTable[static_cast<std::size_t>(row)].name == std::string_view("String")) return TypeIcon(row);
  return 0;
}

int CountLog(const std::string& text) {
  int n = 0;
  for (const std::string& line : TLogBook::Instance().Lines()) n += line.find(text) != std::string::npos;
  return n;
}

// What the log shows of each retried block, packet or letter.
int CountRetries() {
  int n = 0;
  for (const char* retry :
       {"CRC problem", "Rx Error #", "Rx Cmnd Packet Error", "Tx Cmnd Packet Error", "Rx repeated block", "Connection Error."})
    n += CountLog(retry);
  return n;
}

constexpr int kShards = 4;

class Soak : public ::testing::TestWithParam<int> {};

TEST_P(Soak, NoisyLineGivesExactDataOrCleanFailuresNeverSilentCorruption) {
  const int ops = EnvInt("BRIDGIT_SOAK_OPS", 500) / kShards;
  const int seed = EnvInt("BRIDGIT_SOAK_SEED", 1) + GetParam();
  std::mt19937 rng(static_cast<unsigned>(seed));
  TLogBook::Instance().Clear();
  test::TRecordingHost host;
  host.SetReplacePolicy([](const std::string&, const std::string&) { return kModalYes; });
  host.SetQuestionPolicy([](const std::string&, const std::string&) { return true; });
  test::TCalcSim sim({"--model", "71GII", "--speed", "115200", "--noise", kNoise, "--seed", std::to_string(seed)});
  test::TTempDir dir;
  int exact = 0, failed = 0, silent = 0, reconnects = 0, retries = 0;
  const auto start = TickCount();
  {
    TXModemServer server(host);
    server.Channel().SetSpeed("115200");
    const auto connect = [&] {
      for (int attempt = 0; attempt < 20; ++attempt) {
        try {
          server.Connect(sim.PcPath());
          if (host.Connected()) return true;
        } catch (const std::exception&) {
        }
        sim.Control("server");
      }
      return false;
    };
    ASSERT_TRUE(connect());
    std::map<std::string, std::string> onCalculator;  // what a put that reported success stored
    for (int i = 0; i < ops; ++i) {
      const std::string name = "S" + std::to_string(rng() % kNames);
      if (std::getenv("BRIDGIT_SOAK_LOG")) {
        retries += CountRetries();
        TLogBook::Instance().Clear();
      }
      bool ok = false;
      try {
        if (i % 2 == 0 || !onCalculator.contains(name)) {
          const std::string file = RandomStringFile(rng);
          int error = 0;
          ASSERT_TRUE(WriteFileSafely(dir / "put.zq", file, error));
          bool all = true;
          onCalculator.erase(name);  // unknown until the put says
          ok = server.PutFile(name, dir / "put.zq", 1, all, false);
          if (ok) onCalculator[name] = file;
        } else {
          const std::string& expected = onCalculator[name];
          const std::string out = dir / "got.zq";
          std::filesystem::remove(out);
          ok = server.GetToFile(name, out, StringIcon(), static_cast<long long>(expected.size() - kObjectHeaderSize));
          if (ok) {
            const std::string got = test::Slurp(out);
            if (got == expected) {
              ++exact;
            } else {
              ++silent;
              std::size_t at = 0;
              while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
              ADD_FAILURE() << "operation " << i << ": " << name << " came back changed: " << got.size() << " bytes for "
                            << expected.size() << ", first difference at " << at;
              if (std::getenv("BRIDGIT_SOAK_LOG"))
                for (const std::string& line : TLogBook::Instance().Lines()) std::fprintf(stderr, "  | %s\n", line.c_str());
            }
          } else {
            EXPECT_FALSE(std::filesystem::exists(out)) << "a failed get left a file";
          }
        }
      } catch (const std::exception&) {
        ok = false;
      }
      if (!ok) {
        ++failed;
        if (!host.Connected()) {
          ++reconnects;
          ASSERT_TRUE(connect()) << "no connection after operation " << i;
        }
      }
    }
  }
  retries += CountRetries();
  const double seconds = static_cast<double>(TickCount() - start) / 1000.0;
  std::printf("soak: %d operations, seed %d, noise %s: %d gets exact, %d clean failures, %d reconnections, "
              "%d retries logged, %d silent corruptions, %.0f s\n",
              ops, seed, kNoise, exact, failed, reconnects, retries, silent, seconds);
  EXPECT_EQ(silent, 0);
  EXPECT_GT(exact, ops / 4) << "the line was too noisy to test anything";
}

INSTANTIATE_TEST_SUITE_P(Shards, Soak, ::testing::Range(0, kShards));

}  // namespace
}  // namespace bridgit
