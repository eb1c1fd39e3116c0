// Parsing a modern-sized catalogue (40,430 entries), and saving and loading its profile.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
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

// Catalogues at the bounds, in their costliest shapes: tiny games, the most roms in one game, roms
// in all, samples, dip switches with settings up to the records' bound, and every kind near its
// bound at once with the rest of the 128 MB listing in long texts.
std::string Repeat(const std::string& s, size_t n) {
  std::string out;
  out.reserve(s.size() * n);
  for (size_t i = 0; i < n; ++i) out += s;
  return out;
}

// `total` records `unit` in games of `perGame`.
std::string GamesOf(size_t total, const std::string& unit, size_t perGame) {
  std::string out;
  for (size_t g = 0; g == 0 || total > 0; ++g) {
    const size_t n = std::min(total, perGame);
    out += "game ( name g" + std::to_string(g) + "\n" + Repeat(unit, n) + ")\n";
    total -= n;
  }
  return out;
}

const char* const kBoundShapes[] = {"tiny games", "roms in one game", "roms in all", "samples",
                                    "dip switches", "all kinds at once"};

const std::string& BoundCatalogue(int64_t shape) {
  static std::string texts[6];
  std::string& t = texts[shape];
  if (!t.empty()) return t;
  const catalogue::Limits l;
  const std::string rom = " rom ( name r size 1 crc 0 )\n";
  switch (shape) {
    case 0: t = GamesOf(l.entries, "", 1); break;
    case 1: t = GamesOf(l.romsPerGame, rom, l.romsPerGame); break;
    case 2: t = GamesOf(l.roms, rom, l.romsPerGame); break;
    case 3: t = GamesOf(l.samples, " sample s.wav\n", l.samplesPerGame); break;
    case 4: {
      const std::string dip =
          " dipswitch ( name \"Lives\" entry \"3\" entry \"4\" entry \"5\" entry \"6\" "
          "default \"3\" )\n";
      t = GamesOf(l.dipSwitches, dip, l.dipSwitchesPerGame);
      break;
    }
    default: {
      const std::string text(255, 'x');
      for (uint32_t g = 0; g < l.entries; ++g) {
        t += "game ( name g" + std::to_string(g) + " description \"" + text +
             "\" manufacturer \"" + text + "\"\n";
        if (g < 245) t += Repeat(" rom ( name r )\n", 4081);
        if (g < 1950) t += Repeat(" chip ( name c )\n", 256);
        if (g < 2344)
          t += Repeat(" dipswitch ( name \"" + std::string(40, 'y') +
                          "\" entry \"1\" entry \"2\" )\n",
                      256);
        t += ")\n";
      }
    }
  }
  return t;
}

// Parsing a catalogue at a bound, as a capture does.
void BM_ParseAtBound(benchmark::State& state) {
  const std::string& text = BoundCatalogue(state.range(0));
  size_t games = 0;
  for (auto _ : state) {
    listinfo::ParseResult r = listinfo::ParseListinfo(text);
    if (!r.Refusal.empty()) {
      state.SkipWithError(r.Refusal.c_str());
      break;
    }
    state.PauseTiming();
    games = r.Games->size();
    r = {};
    state.ResumeTiming();
  }
  state.SetLabel(kBoundShapes[state.range(0)]);
  state.counters["text_MB"] = static_cast<double>(text.size()) / 1e6;
  state.counters["games"] = static_cast<double>(games);
}

// Reading the profile of a catalogue at a bound, as the next start does; range(1) 1: checked
// first, as when another profile is open.
void BM_LoadAtBound(benchmark::State& state) {
  std::string file;
  {
    listinfo::ParseResult r = listinfo::ParseListinfo(BoundCatalogue(state.range(0)));
    profile::BuildFile(
        profile::BuildBody("/opt/mame/", "mame", "v", r.Games.get(), r.Resources.get()), true,
        file);
  }
  for (auto _ : state) {
    std::string storage;
    std::string_view body;
    profile::ReadProfileBody(file, storage, body);
    profile::ProfileContent content;
    using profile::LoadStatus;
    const bool checked = state.range(1) != 0;
    if ((checked && profile::DecodeProfileBody(body, content, {}, {}, false) != LoadStatus::Ok) ||
        profile::DecodeProfileBody(body, content = {}) != LoadStatus::Ok) {
      state.SkipWithError("refused");
      break;
    }
    state.PauseTiming();
    content = {};
    state.ResumeTiming();
  }
  state.SetLabel(kBoundShapes[state.range(0)]);
  state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
}

}  // namespace

BENCHMARK(BM_ParseAtBound)->DenseRange(0, 5)->ArgName("shape")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAtBound)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}})
    ->ArgNames({"shape", "checked"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(0)->Arg(1)->ArgName("compressed")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Arg(0)->Arg(1)->ArgName("compressed")->Unit(benchmark::kMillisecond);
