// Filters over the synthetic 40,000-game catalogue: a formula filter (compile once, test
// every game, show the tab), the same with %ROMFOUND over a folder of 40,000 archives, a
// search over the descriptions and the import of a 3 MB category file.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <QApplication>
#include <QPushButton>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <ctime>
#include <unistd.h>

#include "CatalogueGenerator.h"
#include "database/Listinfo.h"
#include "frontend/FilterFile.h"
#include "frontend/FormulaFilter.h"
#include "frontend/GameTreeModel.h"
#include "frontend/Search.h"
#include "frontend/formulas.h"
#include "frontend/import.h"
#include "frontend/main.h"
#include "platform/Files.h"
#include "platform/Seams.h"

namespace {

// Answers every message with No, opens the file it is given and takes every modal window's
// OK (the import options keep all sections).
class BenchSeam : public plat::Seam {
 public:
  int MessageBox(QWidget*, const std::string&, const std::string&, unsigned) override {
    return plat::IDNO;
  }
  std::optional<std::string> FileDialog(QWidget*, plat::FileDialogRequest&) override {
    return file;
  }
  int ShowModal(QWidget* w) override {
    if (auto* options = qobject_cast<TFilterImportFRM*>(w)) options->OkBTN->click();
    return 1;
  }
  std::string file;
};

TMainFRM& Window() {
  static TMainFRM* f = nullptr;
  if (f) return *f;
  BenchApplication();
  static BenchSeam seam;
  plat::SetUi(&seam);
  f = new TMainFRM();
  listinfo::ParseResult db = listinfo::ParseListinfo(GenerateListinfo());
  f->Games = std::move(db.Games);
  f->Resources = std::move(db.Resources);
  f->Filters = std::make_unique<FilterList>();
  auto all = types::NewFilterDescriptor();
  all->Name = "All games";
  for (auto& g : *f->Games) {
    auto e = types::NewFilterEntryDescriptor();
    e->Game = g.get();
    all->Entries->push_back(std::move(e));
  }
  f->Filters->push_back(std::move(all));
  f->ProfileLoaded = 1;
  f->EmulatorDir = BenchHome();
  f->BuildGameIndex();
  f->GenerateFolderLists();
  f->resize(900, 700);
  f->show();
  f->RebuildFilterTabs(0);
  return *f;
}

// Drops the filters the benchmark added, outside the timing.
void DropAdded(benchmark::State& state, TMainFRM& f) {
  state.PauseTiming();
  while (f.Filters->size() > 1) f.Filters->pop_back();
  f.RebuildFilterTabs(0);
  state.ResumeTiming();
}

void FormulaFilter(benchmark::State& state, const char* formula) {
  TMainFRM& f = Window();
  size_t entries = 0;
  for (auto _ : state) {
    TEvaluator e(&formulafilter::Keywords(), true);
    std::vector<std::string> tokens;
    std::string error;
    e.Tokenize(formula, tokens, error);
    e.Compile(tokens);
    formulafilter::Vocabulary::Hooks hooks;
    hooks.FindGame = [&f](const std::string& n) { return f.FindGameByName(n); };
    hooks.SetFound = [&f](const std::string& n, uint8_t kind) {
      return !f.FindSetSource(n, kind, false).empty();
    };
    formulafilter::Vocabulary v(hooks, f.MAMEDirectories, f.FaqFilesDir, f.EmulatorDir);
    auto filter = formulafilter::BuildFilter(e, v, *f.Games, "bench", error);
    if (!filter) state.SkipWithError(error.c_str());
    entries = filter ? filter->Entries->size() : 0;
    f.AppendFilter(std::move(filter));
    QApplication::processEvents();
    DropAdded(state, f);
  }
  state.counters["entries"] = static_cast<double>(entries);
}

void BM_FormulaFilter(benchmark::State& state) { FormulaFilter(state, "%YEAR >= 1980 AND %MASTER"); }
BENCHMARK(BM_FormulaFilter)->Unit(benchmark::kMillisecond);

void BM_RomFoundFilter(benchmark::State& state) {
  TMainFRM& f = Window();
  const std::string roms = BenchHome() + "roms/";
  if (!plat::DirExists(roms)) {
    plat::MakeDirs(roms);
    for (auto& g : *f.Games) {
      int fd = open((roms + plat::LowerCase(g->Name.str()) + ".zip").c_str(),
                    O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
      if (fd >= 0) close(fd);
    }
    // A collection that has stood for a while (the set lookup lists a folder changed in the
    // last two seconds again on every look).
    timespec old[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    utimensat(AT_FDCWD, roms.c_str(), old, 0);
  }
  f.MAMEDirectories.rompath = "roms";
  FormulaFilter(state, "%ROMFOUND");
}
BENCHMARK(BM_RomFoundFilter)->Unit(benchmark::kMillisecond);

void BM_SearchDescriptions(benchmark::State& state) {
  TMainFRM& f = Window();
  size_t found = 0;
  for (auto _ : state)
    found = search::FindGames(*f.Games, search::ByDescription, search::Containing, "zq", false)
                .size();
  state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_SearchDescriptions)->Unit(benchmark::kMillisecond);

// Imports the category file `text` (as `path`) once an iteration.
void ImportEach(benchmark::State& state, TMainFRM& f, const std::string& path,
                const std::string& text) {
  plat::WriteFileAtomic(path, text);
  static_cast<BenchSeam&>(plat::Ui()).file = path;
  for (auto _ : state) {
    f.FileFilterImportCatVerACTNExecute();
    QApplication::processEvents();
    if (f.Filters->size() != 2) state.SkipWithError("not imported");
    DropAdded(state, f);
  }
}

void BM_CatListImport(benchmark::State& state) {
  TMainFRM& f = Window();
  const std::string path = BenchHome() + "catver.ini";
  std::string text = ";; Catver.ini bench ;;\r\n[FileInfo]\r\nFiltername=Bench\r\n";
  const char* sections[] = {"Category", "VerAdded"};
  for (size_t s = 0; s < 2; ++s) {
    text += "[" + std::string(sections[s]) + "]\r\n";
    size_t i = 0;
    for (auto& g : *f.Games) {
      ++i;
      text += plat::LowerCase(g->Name.str()) + "=Group " + std::to_string(i % 97) +
              " / Subgroup number " + std::to_string(i % 13) + "\r\n";
    }
  }
  ImportEach(state, f, path, text);
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_CatListImport)->Unit(benchmark::kMillisecond);

// A category file of many small sections (each of two games), all of them chosen.
void BM_CatListImportSections(benchmark::State& state) {
  TMainFRM& f = Window();
  const std::string path = BenchHome() + "sections.ini";
  const size_t count = static_cast<size_t>(state.range(0));
  std::string text = ";; Sections bench ;;\r\n";
  for (size_t s = 0; s < count; ++s) {
    text += "[Section " + std::to_string(s) + "]\r\n";
    for (size_t k = 0; k < 2; ++k)
      text += (*f.Games)[(2 * s + k) % f.Games->size()]->Name.str() + "=Group " +
              std::to_string(s % 50) + "\r\n";
  }
  ImportEach(state, f, path, text);
  state.counters["sections"] = static_cast<double>(count);
  state.SetComplexityN(static_cast<int64_t>(count));
}
// Over several sizes, with the fitted order: linear (the options list and the section
// lookups were once quadratic in the sections).
BENCHMARK(BM_CatListImportSections)
    ->Arg(7500)->Arg(30000)->Arg(120000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond)->Iterations(1);


// A filter file of n entries, each in a folder of its own, read and built into the tree (up to
// the most a filter file may hold).
void BM_FilterFileFolders(benchmark::State& state) {
  TMainFRM& f = Window();
  const size_t n = static_cast<size_t>(state.range(0));
  std::string text = std::string(filterfile::kHeader) + "Folders\r\n\r\n";
  for (size_t i = 0; i < n; ++i)
    text += "\\F" + std::to_string(i * 7919 % n) + "\\" + (*f.Games)[i % f.Games->size()]->Name.str() + "\r\n";
  for (auto _ : state) {
    FilterDescriptor filter;
    filterfile::Parse(text, [&f](const std::string& s) { return f.FindGameByName(s); }, filter);
    TreeImageItemList descriptors;
    GameTreeModel::Builder b(&descriptors, false);
    for (const auto& e : *filter.Entries)
      b.AddGame(b.FindFolderNode(e->Folder, true), e->Game->Name.str(), e->Game);
    GameTreeModel m;
    m.Commit(b);
    benchmark::DoNotOptimize(m.GameCount());
  }
  state.SetComplexityN(static_cast<int64_t>(n));
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_FilterFileFolders)->RangeMultiplier(2)->Range(1 << 12, filterfile::kMaxEntries)
    ->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace
