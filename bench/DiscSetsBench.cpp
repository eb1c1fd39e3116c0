// The disc estimate as the disc-set prescan makes it, once per game for 40,000 games of a
// 30 GB collection whose resources and samples nearly fill a disc, beside only adding the sizes.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "verify/DiscSets.h"

namespace {

constexpr int kGames = 40000;
constexpr uint64_t kGameBytes = 750000;  // 30 GB in all
constexpr uint64_t kOverhead = 640000000;  // leaves 10 MB of a 650 MB disc for the games

void BM_EstimatePerGame40000(benchmark::State& state) {
  const uint64_t limit = discsets::DiscLimit(1);
  for (auto _ : state) {
    uint64_t blocks = 0;
    uint32_t discs = 0;
    for (int i = 0; i < kGames; ++i) {
      blocks += kGameBytes;
      discs = discsets::EstimateSpace(blocks, kOverhead, limit)->Discs;
    }
    benchmark::DoNotOptimize(discs);
  }
}
BENCHMARK(BM_EstimatePerGame40000)->Unit(benchmark::kMicrosecond);

void BM_SumOnly40000(benchmark::State& state) {
  for (auto _ : state) {
    uint64_t blocks = 0;
    for (int i = 0; i < kGames; ++i) {
      blocks += kGameBytes;
      benchmark::DoNotOptimize(blocks);
    }
  }
}
BENCHMARK(BM_SumOnly40000)->Unit(benchmark::kMicrosecond);

}  // namespace
