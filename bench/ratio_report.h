// Runs the registered benchmarks and prints, after Google Benchmark's own
// table, each measured throughput as a ratio against its baseline of the same run.
#pragma once

#include <string>
#include <vector>

namespace bridgit::bench {

struct TRatio {
  std::string name;      // benchmark measured
  std::string baseline;  // benchmark it is compared with
  double goal;           // the ratio it should reach (0: none)
};

// Returns the process exit code: 0, or 1 when a goal was missed.
int RunAndReport(int argc, char** argv, const std::vector<TRatio>& ratios);

}  // namespace bridgit::bench
