// The pre-launch test of a set whose 400 roms are all present under other names (one size),
// side by side with checksumming those files once, which the test cannot do with less.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "launch/RomTest.h"
#include "platform/Files.h"
#include "verify/CRC32.h"

namespace {

constexpr int kRoms = 400;

struct Renamed {
  std::string dir;
  GameRecord game;
  std::vector<std::string> files;
};

Renamed& Set() {
  static Renamed r = [] {
    Renamed x;
    x.dir = BenchHome() + "renamed/";
    plat::MakeDirs(x.dir);
    x.game.Roms = std::make_unique<RomList>();
    x.game.Samples = std::make_unique<StringList>();
    for (int i = 0; i < kRoms; ++i) {
      std::string bytes(4096, static_cast<char>(i));
      bytes[0] = static_cast<char>(i >> 8);
      char name[16];
      std::snprintf(name, sizeof name, "f%03d.bad", i);
      x.files.push_back(x.dir + name);
      plat::WriteFileAtomic(x.files.back(), bytes);
      auto rom = std::make_unique<RomRecord>();
      std::snprintf(name, sizeof name, "R%03d", i);
      rom->Name = name;
      rom->Size = static_cast<uint32_t>(bytes.size());
      rom->Crc = UpdateCRC32(0, bytes.data(), bytes.size());
      x.game.Roms->push_back(std::move(rom));
    }
    return x;
  }();
  return r;
}

void BM_RomTestMisspelled400(benchmark::State& state) {
  Renamed& r = Set();
  launch::RomTestOptions o;
  o.checkSamples = false;
  for (auto _ : state) {
    launch::RomTestResult result = launch::TestSet(r.game, r.dir, o);
    state.PauseTiming();
    if (!result.romsOk) state.SkipWithError("a renamed rom was not found");
    for (int i = 0; i < kRoms; ++i) {  // the copies go: the next run finds them renamed again
      char name[16];
      std::snprintf(name, sizeof name, "r%03d", i);
      plat::RemoveFile(r.dir + name);
    }
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RomTestMisspelled400)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ChecksumTheFilesOnce400(benchmark::State& state) {
  Renamed& r = Set();
  for (auto _ : state)
    for (const std::string& f : r.files) {
      uint32_t crc = 0;
      benchmark::DoNotOptimize(FileCRC32(f, crc));
    }
}
BENCHMARK(BM_ChecksumTheFilesOnce400)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
