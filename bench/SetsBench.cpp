// Set lookups and checksums: UpdateCRC32 beside zlib's crc32 on 64 MiB, and FindSetSource over
// a rom folder of 40,000 archives once its index is built.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "frontend/main.h"
#include "launch/SetSources.h"
#include "platform/Files.h"
#include "verify/CRC32.h"

namespace {

const std::string& Buffer64MiB() {
  static const std::string data = [] {
    std::string s(64u << 20, '\0');
    std::mt19937_64 rng(42);
    for (size_t i = 0; i + 8 <= s.size(); i += 8) {
      const uint64_t v = rng();
      std::memcpy(&s[i], &v, 8);
    }
    return s;
  }();
  return data;
}

void BM_UpdateCRC32_64MiB(benchmark::State& state) {
  const std::string& d = Buffer64MiB();
  for (auto _ : state) benchmark::DoNotOptimize(UpdateCRC32(0, d.data(), d.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.size()));
}
BENCHMARK(BM_UpdateCRC32_64MiB)->Unit(benchmark::kMillisecond);

void BM_ZlibCrc32_64MiB(benchmark::State& state) {
  const std::string& d = Buffer64MiB();
  for (auto _ : state)
    benchmark::DoNotOptimize(crc32(0, reinterpret_cast<const Bytef*>(d.data()), d.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.size()));
}
BENCHMARK(BM_ZlibCrc32_64MiB)->Unit(benchmark::kMillisecond);

void BM_SlicedCRC32_64MiB(benchmark::State& state) {
  const std::string& d = Buffer64MiB();
  for (auto _ : state) benchmark::DoNotOptimize(crc32_paths::Sliced(0, d.data(), d.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.size()));
}
BENCHMARK(BM_SlicedCRC32_64MiB)->Unit(benchmark::kMillisecond);

constexpr size_t kSets = 40000;

std::string SetName(size_t i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "s%06zu", i * 7919 % 1000000);
  return buf;
}

// An emulator folder with a rom folder of 40,000 archives of mixed kinds and spellings,
// last changed long ago; the window's path list is ".;ROMS".
struct RomFolder {
  std::string emu;
  TMainFRM* window = nullptr;
  RomFolder() {
    char tmpl[] = "/tmp/velmora-bench-sets-XXXXXX";
    emu = plat::WithSlash(mkdtemp(tmpl) ? tmpl : "/tmp");
    setenv("VELMORA_HOME", emu.c_str(), 0);
    const std::string roms = emu + "roms/";
    plat::MakeDirs(roms);
    static const char* const exts[] = {".zip", ".ZIP", ".rar", ".ace", ".Zip"};
    for (size_t i = 0; i < kSets; ++i) {
      const int fd = open((roms + SetName(i) + exts[i % 5]).c_str(), O_CREAT | O_WRONLY, 0644);
      if (fd >= 0) close(fd);
    }
    window = new TMainFRM();
    timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    utimensat(AT_FDCWD, roms.c_str(), old, 0);
    utimensat(AT_FDCWD, emu.c_str(), old, 0);
    window->EmulatorDir = emu;
    window->MAMEDirectories.rompath = ".;ROMS";
  }
  ~RomFolder() { plat::RemoveTree(emu); }
};

RomFolder& Roms() {
  static RomFolder r;
  return r;
}

void BM_FindSetSource_40000(benchmark::State& state) {
  RomFolder& r = Roms();
  std::vector<std::string> names;
  for (size_t i = 0; i < kSets; i += 97) names.push_back(plat::UpperCase(SetName(i)));
  names.push_back("NOSUCH");
  launch::ForgetFolderIndexes();
  r.window->FindSetSource(names[0], 1, false);  // builds the indexes
  size_t k = 0, found = 0;
  for (auto _ : state) {
    const std::string p = r.window->FindSetSource(names[k], 1, false);
    found += !p.empty();
    benchmark::DoNotOptimize(p);
    if (++k == names.size()) k = 0;
  }
  state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FindSetSource_40000)->Unit(benchmark::kMicrosecond);

}  // namespace
