// Parsing a modern-sized catalogue (40,430 entries), and saving and loading its profile.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>

#include "CatalogueGenerator.h"
#include "database/Listinfo.h"
#include "database/ProfileFile.h"
#include "platform/Files.h"

namespace {

const std::string& Catalogue() {
  static const std::string text = GenerateListinfo();
  return text;
}

const listinfo::ParseResult& Parsed() {
  static const listinfo::ParseResult result = listinfo::ParseListinfo(Catalogue());
  return result;
}

std::string TempFile(const char* name) {
  return "/tmp/velmora-bench-" + std::to_string(getpid()) + "-" + name;
}

std::string Build(bool compressed) {
  const auto& db = Parsed();
  std::string body = profile::BuildBody("/opt/mame/", "mame", "M.A.M.E. v0.36 (Jan 10 2000)",
                                        db.Games.get(), db.Resources.get());
  std::string file;
  profile::BuildFile(body, compressed, file);
  return file;
}

void BM_Parse(benchmark::State& state) {
  const std::string& text = Catalogue();
  for (auto _ : state) {
    listinfo::ParseResult r = listinfo::ParseListinfo(text);
    state.PauseTiming();
    benchmark::DoNotOptimize(r.Games->size());
    r = {};  // freeing the records is not parsing
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
  state.counters["games"] = static_cast<double>(Parsed().Games->size());
  state.counters["errors"] = static_cast<double>(Parsed().Errors.size());
}

void BM_Save(benchmark::State& state) {
  const bool compressed = state.range(0) != 0;
  const std::string path = TempFile(compressed ? "packed.vrl" : "plain.vrl");
  size_t size = 0;
  for (auto _ : state) {
    std::string file = Build(compressed);
    plat::WriteFileAtomic(path, file);
    size = file.size();
  }
  plat::RemoveFile(path);
  state.counters["file_MB"] = static_cast<double>(size) / 1e6;
}

// Opening a stored profile as the program does: read, decode, and free the one loaded before.
void BM_Load(benchmark::State& state) {
  const bool compressed = state.range(0) != 0;
  const std::string path = TempFile(compressed ? "packed.vrl" : "plain.vrl");
  plat::WriteFileAtomic(path, Build(compressed));
  profile::ProfileContent previous;
  size_t roms = 0, dips = 0;
  for (auto _ : state) {
    std::string data;
    plat::ReadWholeFile(path, data);
    profile::ProfileContent content;
    const profile::LoadStatus s = profile::DecodeProfile(data, content);
    if (s != profile::LoadStatus::Ok) state.SkipWithError("profile refused");
    previous = std::move(content);
  }
  for (const GameList* list : {previous.Games.get(), previous.Resources.get()})
    for (const auto& g : *list) {
      roms += g->Roms ? g->Roms->size() : 0;
      dips += g->DipSwitches ? g->DipSwitches->size() : 0;
    }
  state.counters["entries"] = static_cast<double>(previous.Games->size() + previous.Resources->size());
  state.counters["roms"] = static_cast<double>(roms);
  state.counters["dips"] = static_cast<double>(dips);
  plat::RemoveFile(path);
}

}  // namespace

BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(0)->Arg(1)->ArgName("compressed")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Arg(0)->Arg(1)->ArgName("compressed")->Unit(benchmark::kMillisecond);
