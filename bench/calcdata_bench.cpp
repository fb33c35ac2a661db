// Text conversion and object trimming against a plain byte-copy loop over the
// same buffer.
#include <benchmark/benchmark.h>

#include <random>

#include "calcdata/nibbles.h"
#include "calcdata/object_header.h"
#include "calcdata/object_walk.h"
#include "calcdata/text_translate.h"
#include "ratio_report.h"

namespace {

constexpr std::size_t kSize = 1 << 20;

// Program-like calculator text: mostly ASCII, with arrows, program delimiters,
// Greek letters and line ends sprinkled in.
std::string MixedCalcText() {
  std::mt19937 rng(7);
  const std::string_view words[] = {"DUP ", "SWAP ", "1.5 ", "'X' ", "STO ", "\"text\" ", "+ ", "IF ", "THEN "};
  const char specials[] = {'\x8D', '\xAB', '\xBB', '\x8C', '\x87', '\n'};
  std::string s;
  s.reserve(kSize + 16);
  while (s.size() < kSize) {
    s += words[rng() % std::size(words)];
    if (rng() % 4 == 0) s += specials[rng() % std::size(specials)];
  }
  s.resize(kSize);
  return s;
}

const std::string& CalcText() {
  static const std::string text = MixedCalcText();
  return text;
}

const std::string& PCText() {
  static const std::string text = bridgit::CalcTextToPC(CalcText(), {.level = 3, .addCR = true});
  return text;
}

// A List of Reals filling about 1 MiB, padded as a transfer leaves it.
const std::string& Composite() {
  static const std::string file = [] {
    bridgit::TNibbleWriter w;
    w.Put5(0x02A74);
    while (w.size() < 2 * kSize - 64) {
      w.Put5(0x02933);
      for (unsigned i = 0; i < 16; ++i) w.Put(i);
    }
    w.Put5(bridgit::kSemiProlog);
    return bridgit::MakeObjectHeader(bridgit::kFamily73) + w.Packed() + std::string(1000, '\x1A');
  }();
  return file;
}

void CopyLoop(benchmark::State& state, const std::string& in) {
  for (auto _ : state) {
    std::string out;
    out.resize(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) out[i] = in[i];
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void BM_CopyCalcText(benchmark::State& s) { CopyLoop(s, CalcText()); }
void BM_CopyPCText(benchmark::State& s) { CopyLoop(s, PCText()); }
void BM_CopyComposite(benchmark::State& s) { CopyLoop(s, Composite()); }

void BM_CalcTextToPC(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bridgit::CalcTextToPC(CalcText(), {.level = 3, .addCR = true}));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * CalcText().size()));
}

void BM_PCTextToCalc(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bridgit::PCTextToCalc(PCText(), true));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * PCText().size()));
}

void BM_TrimObject(benchmark::State& state) {
  for (auto _ : state) {
    std::string bytes = Composite();
    if (!bridgit::TrimObject(bytes).success) state.SkipWithError("walk failed");
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Composite().size()));
}

BENCHMARK(BM_CopyCalcText);
BENCHMARK(BM_CalcTextToPC);
BENCHMARK(BM_CopyPCText);
BENCHMARK(BM_PCTextToCalc);
BENCHMARK(BM_CopyComposite);
BENCHMARK(BM_TrimObject);

}  // namespace

int main(int argc, char** argv) {
  return bridgit::bench::RunAndReport(argc, argv,
                                      {{"BM_CalcTextToPC", "BM_CopyCalcText", 0.2},
                                       {"BM_PCTextToCalc", "BM_CopyPCText", 0.2},
                                       {"BM_TrimObject", "BM_CopyComposite", 0}});
}
