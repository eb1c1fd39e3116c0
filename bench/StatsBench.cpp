// Loading and saving the statistics file with tens of thousands of play records (the launch
// saves it after every game).
#include <benchmark/benchmark.h>

#include <string>

#include "BenchSupport.h"
#include "frontend/Stats.h"
#include "platform/Files.h"

namespace {

std::unique_ptr<PlayStatList> Records(size_t count) {
  auto list = std::make_unique<PlayStatList>();
  for (size_t i = 0; i < count; ++i) {
    auto r = types::NewPlayStatRecord();
    r->Name = "G" + std::to_string(i);
    r->TotHours = static_cast<uint32_t>(i % 100);
    r->TotMinutes = static_cast<uint32_t>(i % 60);
    r->TotSeconds = static_cast<uint32_t>(i * 7 % 60);
    r->TotTimes = static_cast<uint32_t>(i % 1000 + 1);
    list->push_back(std::move(r));
  }
  return list;
}

std::string StatsFile() { return BenchHome() + "STATS.INI"; }

// Saving over an existing file of the same records, as after every game.
void BM_StatsSave(benchmark::State& state) {
  auto list = Records(static_cast<size_t>(state.range(0)));
  const std::string path = StatsFile();
  stats::SaveStatsFile(*list, path, nullptr);
  for (auto _ : state) stats::SaveStatsFile(*list, path, nullptr);
  state.counters["file_MB"] = static_cast<double>(plat::FileSize(path)) / 1e6;
  plat::RemoveFile(path);
}

void BM_StatsLoad(benchmark::State& state) {
  auto list = Records(static_cast<size_t>(state.range(0)));
  const std::string path = StatsFile();
  stats::SaveStatsFile(*list, path, nullptr);
  for (auto _ : state) {
    auto loaded = stats::LoadStatsFile(path);
    if (loaded->size() != list->size()) state.SkipWithError("records lost");
  }
  plat::RemoveFile(path);
}

}  // namespace

BENCHMARK(BM_StatsSave)->Arg(10000)->Arg(40000)->ArgName("records")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatsLoad)->Arg(10000)->Arg(40000)->ArgName("records")->Unit(benchmark::kMillisecond);
