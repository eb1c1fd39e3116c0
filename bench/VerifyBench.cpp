// Verifying a collection of 5,000 zipped rom sets (resources, masters, clones and a few faults),
// zipped sets tested in memory and every set unpacked into the temporary folder (the reports
// compared), side by side with a loop that only inflates and checksums the same zips.
#include <archive.h>
#include <archive_entry.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "frontend/main.h"
#include "platform/Files.h"
#include "verify/CRC32.h"
#include "verify/Verify.h"
#include "verify/VerifyWindow.h"

namespace {

constexpr int kSets = 5000;
constexpr int kResources = 50;

struct Quiet : verify::VerifyListener {
  void PassName(const std::string&) override {}
  void SetName(const std::string&) override {}
  void Clones(const std::string&) override {}
  void Progress(int32_t, int32_t) override {}
  void UpdateCounters(const verify::VerifyCounters&) override {}
  void LetMessagesThrough() override {}
  bool CheckAbort() override { return false; }
  int ShowMessage(const std::string&, unsigned) override { return 1; }
};

void WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& files) {
  archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  archive_write_open_filename(a, path.c_str());
  for (auto& [name, bytes] : files) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, name.c_str());
    archive_entry_set_size(e, static_cast<la_int64_t>(bytes.size()));
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_write_header(a, e);
    archive_write_data(a, bytes.data(), bytes.size());
    archive_entry_free(e);
  }
  archive_write_close(a);
  archive_write_free(a);
}

uint32_t InflateAll(const std::vector<std::string>& zips);

// The emulator folder with roms/, and a main window whose database describes it.
struct Fixture {
  std::string emu;
  TMainFRM* window = nullptr;
  std::vector<std::string> zips;
};

Fixture& Collection() {
  static Fixture f = [] {
    Fixture x;
    // The program folder is under $TMPDIR, which picks the file system (the temporary
    // folder's file work is most of a run).
    BenchApplication();
    x.emu = BenchHome() + "verify/";
    plat::MakeDirs(x.emu + "roms");
    x.window = new TMainFRM();
    TMainFRM& w = *x.window;
    w.Games = std::make_unique<GameList>();
    w.Resources = std::make_unique<GameList>();
    w.EmulatorDir = x.emu;
    w.MAMEDirectories.rompath = "roms";
    uint32_t seed = 2024;
    auto rnd = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
    const GameRecord* master = nullptr;
    for (int i = 0; i < kSets; ++i) {
      auto g = types::NewGameRecord();
      char name[9];
      std::snprintf(name, sizeof name, "S%07d", i);
      g->Name = name;
      if (!g->Roms) g->Roms = std::make_unique<RomList>();
      const bool resource = i < kResources;
      const bool clone = !resource && master && i % 3 != 0;
      if (!resource && !clone) master = g.get();
      if (clone) g->CloneOf = master->Name;
      std::vector<std::pair<std::string, std::string>> files;
      const int count = 10 + static_cast<int>(rnd() % 11);
      for (int r = 0; r < count; ++r) {
        std::string bytes(1024 + rnd() % 3072, '\0');
        for (size_t b = 0; b < bytes.size(); ++b) bytes[b] = static_cast<char>(b % 7 == 0 ? rnd() : b);
        auto rom = types::NewRomRecord();
        rom->Name = std::string(name).substr(1) + "." + std::to_string(r);
        rom->Size = static_cast<uint32_t>(bytes.size());
        rom->Crc = UpdateCRC32(0, bytes.data(), bytes.size());
        if (i % 97 == 5 && r == 0) bytes[0] ^= 1;      // a bad dump
        if (!(i % 101 == 7 && r == 1)) files.emplace_back(rom->Name, std::move(bytes));
        g->Roms->push_back(std::move(rom));
      }
      if (clone)  // a clone shares its master's first rom
        for (const auto& pr : *master->Roms) {
          auto rom = types::NewRomRecord();
          *rom = *pr;
          rom->Merge = pr->Name;
          g->Roms->push_back(std::move(rom));
          break;
        }
      const std::string zip = x.emu + "roms/" + plat::LowerCase(name) + ".zip";
      WriteZip(zip, files);
      x.zips.push_back(zip);
      (resource ? w.Resources : w.Games)->push_back(std::move(g));
    }
    w.BuildGameIndex();
    // The first pass over freshly written files runs slower, whichever benchmark makes it.
    InflateAll(x.zips);
    return x;
  }();
  return f;
}

// The report of a run that unpacks every set into the temporary folder, for comparison.
std::string& UnpackedReport() {
  static std::string report;
  return report;
}

// Zipped sets tested in memory (`unpacked` 0), or every set unpacked into the folder.
void BM_VerifyRun(benchmark::State& state) {
  Fixture& f = Collection();
  const bool unpacked = state.range(0) != 0;
  verify::VerifyOptions o;
  o.VerifySamples = o.VerifyImages = false;
  o.ReportUnused = o.ReportUnsupported = true;
  for (auto _ : state) {
    TTextStream report;
    Quiet quiet;
    verify::VerifyCollection c = TVerifyFRM::CollectionOf(f.window);
    if (unpacked) c.FindSet = nullptr;
    verify::VerifyEngine engine(c, o, quiet, report);
    engine.Run();
    benchmark::DoNotOptimize(report.Size());
    state.counters["faulty"] = engine.Counters.FaultySetCount;
    if (unpacked)
      UnpackedReport() = report.Data();
    else if (!UnpackedReport().empty())
      state.counters["same_report"] = report.Data() == UnpackedReport();
  }
  state.counters["sets/s"] = benchmark::Counter(kSets, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_VerifyRun)->ArgName("unpacked")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->UseRealTime();

uint32_t InflateAll(const std::vector<std::string>& zips) {
  std::vector<char> buffer(1 << 16);
  uint32_t all = 0;
  for (const std::string& zip : zips) {
    archive* a = archive_read_new();
    archive_read_support_format_zip(a);
    if (archive_read_open_filename(a, zip.c_str(), 1 << 16) == ARCHIVE_OK) {
      archive_entry* e;
      while (archive_read_next_header(a, &e) == ARCHIVE_OK) {
        uint32_t crc = 0;
        la_ssize_t n;
        while ((n = archive_read_data(a, buffer.data(), buffer.size())) > 0)
          crc = UpdateCRC32(crc, buffer.data(), static_cast<size_t>(n));
        all ^= crc;
      }
    }
    archive_read_free(a);
  }
  return all;
}

void BM_InflateAndChecksum(benchmark::State& state) {
  Fixture& f = Collection();
  for (auto _ : state) benchmark::DoNotOptimize(InflateAll(f.zips));
  state.counters["sets/s"] = benchmark::Counter(kSets, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_InflateAndChecksum)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

namespace {
void BM_UnpackAndDeleteOnly(benchmark::State& state) {
  Fixture& f = Collection();
  for (auto _ : state) {
    for (const auto* list : {f.window->Resources.get(), f.window->Games.get()})
      for (const auto& g : *list) {
        f.window->UnpackSet(g->Name, 1, false);
        f.window->DeleteFolderTree(f.emu + "$VRTEMP$");
      }
  }
  state.counters["sets/s"] = benchmark::Counter(kSets, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_UnpackAndDeleteOnly)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
}  // namespace
