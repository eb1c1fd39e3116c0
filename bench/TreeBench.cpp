// Game tree speed on a 40,000-game profile: a full rebuild (sort and fill), a sort change, a
// quick-search key and the selection of a game (quick information).
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <QApplication>
#include <QTreeView>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>

#include "CatalogueGenerator.h"
#include "database/ProfileFile.h"
#include "database/Listinfo.h"
#include "frontend/GameTree.h"
#include "platform/Files.h"
#include "platform/Seams.h"
#include "frontend/main.h"

namespace {

constexpr size_t kGames = 40000;

// A main window with a synthetic profile (shared by every benchmark of this file).
TMainFRM& Window() {
  static TMainFRM* f = nullptr;
  if (f) return *f;
  BenchApplication();
  f = new TMainFRM();
  f->Games = std::make_unique<GameList>();
  f->Resources = std::make_unique<GameList>();
  f->Filters = std::make_unique<FilterList>();
  f->PlayStats = std::make_unique<PlayStatList>();
  auto all = types::NewFilterDescriptor();
  all->Name = "All games";
  uint32_t seed = 12345;
  auto rnd = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  static const char* const makers[] = {"Namco", "Konami", "Sega", "Capcom", "Taito (license)",
                                       "[Irem]", "<unknown>", "SNK", "Data East", "Atari"};
  for (size_t i = 0; i < kGames; ++i) {
    auto g = types::NewGameRecord();
    g->Kind = KIND_GAME;
    g->Index = static_cast<uint16_t>(i + 1);
    std::string name;
    for (int k = 0; k < 7; ++k) name += static_cast<char>('A' + rnd() % 26);
    g->Name = name;
    std::string desc;
    desc += static_cast<char>((rnd() % 10 == 0) ? '0' + rnd() % 10 : 'A' + rnd() % 26);
    for (int k = 0; k < 20; ++k) desc += static_cast<char>('a' + rnd() % 26);
    g->Description = desc + " (set " + std::to_string(i % 7) + ")";
    g->Year = static_cast<uint16_t>(rnd() % 8 == 0 ? 0 : 1975 + rnd() % 30);
    g->Manufacturer = makers[rnd() % 10] + std::string(i % 3 ? "" : " / Bootleg ") +
                      std::to_string(rnd() % 200);
    if (i % 5 == 0 && i > 0) g->CloneOf = (*f->Games)[i / 2]->Name.str();
    if (i % 11 == 0) {
      f->PlayStats->push_back(types::NewPlayStatRecord());
      f->PlayStats->back()->Name = name;
      f->PlayStats->back()->TotTimes = rnd() % 50;
    }
    auto e = types::NewFilterEntryDescriptor();
    e->Game = g.get();
    if (i % 4 == 0) e->Folder = "\\Group " + std::to_string(rnd() % 40) + "\\";
    all->Entries->push_back(std::move(e));
    f->Games->push_back(std::move(g));
  }
  f->Filters->push_back(std::move(all));
  f->ProfileLoaded = 1;
  f->GenerateFolderLists();
  f->resize(900, 700);
  f->show();
  return *f;
}

void BM_TreeRebuild(benchmark::State& state) {
  TMainFRM& f = Window();
  f.SortBy = static_cast<uint8_t>(state.range(0));
  for (auto _ : state) {
    f.ReverseSort = f.ReverseSort ? 0 : 1;  // a real re-sort every time
    f.RebuildFilterTabs(0);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_TreeRebuild)->Arg(gametree::SortNone)->Arg(gametree::SortDescription)
    ->Arg(gametree::SortManufacturer)->Arg(gametree::SortYear)->Arg(gametree::SortMostPlayed)
    ->Arg(gametree::SortSetName)->Unit(benchmark::kMillisecond);

void BM_SortSwitch(benchmark::State& state) {
  TMainFRM& f = Window();
  uint8_t order = 0;
  for (auto _ : state) {
    order = static_cast<uint8_t>((order + 1) % 6);
    f.SetSortOrder(order);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_SortSwitch)->Unit(benchmark::kMillisecond);

void BM_QuickSearchKey(benchmark::State& state) {
  TMainFRM& f = Window();
  f.RebuildFilterTabs(0);
  const char keys[] = "QXZK";  // later letters: the scan runs deep into the catalogue
  size_t i = 0;
  for (auto _ : state) {
    f.TreeListKeyPress(keys[i++ % 4]);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_QuickSearchKey)->Unit(benchmark::kMillisecond);

void BM_SelectGame(benchmark::State& state) {
  TMainFRM& f = Window();
  f.RebuildFilterTabs(0);
  size_t i = 0;
  for (auto _ : state) {
    f.SelectedGame = (*f.Games)[(i++ * 7919) % kGames].get();
    f.SelectLastGame();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_SelectGame)->Unit(benchmark::kMicrosecond);

// No window may wait for an answer here: every message is answered No.
class QuietSeam : public plat::Seam {
 public:
  int MessageBox(QWidget*, const std::string&, const std::string& text, unsigned) override {
    last = text;
    ++count;
    return plat::IDNO;
  }
  int ShowModal(QWidget*) override { return 2; }  // every modal window is cancelled
  int count = 0;
  std::string last;
};

// Opening the profile of a 40,000-game catalogue (10,000 resources) and showing its tree: the
// profile read, the folder lists, the emulator's version run and the tree.
void BM_OpenProfile(benchmark::State& state) {
  BenchApplication();
  const bool compressed = state.range(0) != 0;
  const std::string emu = BenchHome() + "emu/";
  const std::string version = "M.A.M.E. v0.36 (Jan 10 2000)";
  plat::MakeDirs(emu);
  plat::WriteFileAtomic(emu + "mame", "#!/bin/sh\necho '" + version + "'\n");
  chmod((emu + "mame").c_str(), 0755);
  const std::string path = BenchHome() + (compressed ? "packed.VRL" : "plain.VRL");
  {
    listinfo::ParseResult db = listinfo::ParseListinfo(GenerateListinfo());
    std::string file;
    profile::BuildFile(profile::BuildBody(emu, "mame", version, db.Games.get(), db.Resources.get()),
                       compressed, file);
    plat::WriteFileAtomic(path, file);
  }
  QuietSeam seam;
  plat::SetUi(&seam);
  static TMainFRM* f = nullptr;
  if (!f) {
    f = new TMainFRM();
    f->resize(900, 700);
    f->show();
  }
  const std::string here = plat::CurrentDir();
  for (auto _ : state) {
    f->OpenProfile(path);
    QApplication::processEvents();
    if (!f->ProfileLoaded) state.SkipWithError(("not opened: " + seam.last).c_str());
  }
  state.counters["games"] = f->Games ? static_cast<double>(f->Games->size()) : 0;
  plat::SetUi(nullptr);
  plat::SetCurrentDir(here);
}
BENCHMARK(BM_OpenProfile)->Arg(0)->Arg(1)->ArgName("compressed")->Unit(benchmark::kMillisecond);

}  // namespace
