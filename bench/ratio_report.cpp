#include "ratio_report.h"

#include "table_row.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace bridgit::bench {

namespace {

// Keeps the bytes per second of every run while the console reporter prints.
class TCollector : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> bytesPerSecond;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      const auto it = r.counters.find("bytes_per_second");
      if (it != r.counters.end()) bytesPerSecond[r.benchmark_name()] = it->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int RunAndReport(int argc, char** argv, const std::vector<TRatio>& ratios) {
  benchmark::Initialize(&argc, argv);
  TCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();

  int missed = 0;
  std::printf("\n");
  for (const TRatio& r : ratios) {
    const auto m = collector.bytesPerSecond.find(r.name);
    const auto b = collector.bytesPerSecond.find(r.baseline);
    if (m == collector.bytesPerSecond.end() || b == collector.bytesPerSecond.end() || b->second <= 0) continue;
    const double ratio = m->second / b->second;
    const bool met = Row(r.name + " / " + r.baseline + " (throughput)", ratio, r.goal > 0 ? ">=" : "", r.goal);
    missed += met ? 0 : 1;
  }
  return missed == 0 ? 0 : 1;
}

}  // namespace bridgit::bench
