// The profile-information report over a 40,000-game catalogue, and the romset report of a game
// with a 20 MB history file and a 5 MB cheat file beside the emulator; both built and shown.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <QApplication>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "CatalogueGenerator.h"
#include "database/Listinfo.h"
#include "frontend/DataFiles.h"
#include "frontend/main.h"
#include "platform/Files.h"
#include "platform/Seams.h"

namespace {

TMainFRM& Window() {
  static TMainFRM* f = nullptr;
  if (f) return *f;
  BenchApplication();
  f = new TMainFRM();
  listinfo::ParseResult db = listinfo::ParseListinfo(GenerateListinfo());
  f->Games = std::move(db.Games);
  f->Resources = std::move(db.Resources);
  f->BuildGameIndex();
  f->EmulatorDir = BenchHome();
  f->EmulatorExe = "mame";
  f->EmulatorVersion = "M.A.M.E. v0.36 (Jan 10 2000)";
  f->ProfileFileName = BenchHome() + "MAME.VRL";
  plat::WriteFileAtomic(f->ProfileFileName, "profile");
  return *f;
}

// History and cheat files of the given sizes, entries for every game, the last game's at the end.
void WriteDataFiles(TMainFRM& f, size_t historyBytes, size_t cheatBytes) {
  const GameList& games = *f.Games;
  std::string history, cheat;
  const std::string bio =
      "A long story of the game, as the history file tells it, line after line of text.\r\n";
  for (size_t i = 0; history.size() < historyBytes; ++i) {
    const std::string name = games[i % games.size()]->Name.str();
    history += "$info=" + name + ",\r\n$bio\r\n\r\n";
    for (int k = 0; k < 20; ++k) history += bio;
    history += "$end\r\n\r\n";
  }
  for (size_t i = 0; cheat.size() < cheatBytes; ++i) {
    const std::string name = games[i % games.size()]->Name.str();
    cheat += name + ":0:4e00:03:000:Infinite lives:\r\n" + name + ":0:4e10:99:063:Level:\r\n";
  }
  const std::string last = games.back()->Name.str();
  history += "$info=" + last + "\r\n$bio\r\nThe one we look for.\r\n$end\r\n";
  cheat += last + ":0:4e20:0F:520:Linked:\r\n";
  plat::WriteFileAtomic(BenchHome() + "HISTORY.DAT", history);
  plat::WriteFileAtomic(BenchHome() + "CHEAT.DAT", cheat);
  plat::WriteFileAtomic(BenchHome() + "MAMEINFO.DAT", "$info=" + last + "\r\n$mame\r\nNotes\r\n$end\r\n");
  f.MAMEConfig.historyfile = "HISTORY.DAT";
  f.MAMEConfig.cheatfile = "CHEAT.DAT";
  f.MAMEConfig.mameinfofile = "MAMEINFO.DAT";
  f.MAMEConfig.hiscorefile = BenchHome() + "HISCORE.DAT";
}

void BM_ProfileInfoReport(benchmark::State& state) {
  TMainFRM& f = Window();
  ShowOnceSeam seam;
  plat::SetUi(&seam);
  for (auto _ : state) f.FileProfileInfoACTNExecute();
  plat::SetUi(nullptr);
  state.counters["games"] = static_cast<double>(f.Games->size());
  if (seam.shown != static_cast<int>(state.iterations())) state.SkipWithError("not shown");
}
BENCHMARK(BM_ProfileInfoReport)->Unit(benchmark::kMillisecond);

void BM_RomsetReportLargeDataFiles(benchmark::State& state) {
  TMainFRM& f = Window();
  WriteDataFiles(f, 20u << 20, 5u << 20);
  f.SelectedGame = f.Games->back().get();
  ShowOnceSeam seam;
  plat::SetUi(&seam);
  for (auto _ : state) f.MameRomsetDetailACTNExecute();
  plat::SetUi(nullptr);
  if (seam.shown != static_cast<int>(state.iterations())) state.SkipWithError("not shown");
}
BENCHMARK(BM_RomsetReportLargeDataFiles)->Unit(benchmark::kMillisecond);

// The same with the files read afresh each time (as after a change of the files).
void BM_RomsetReportLargeDataFilesUncached(benchmark::State& state) {
  TMainFRM& f = Window();
  WriteDataFiles(f, 20u << 20, 5u << 20);
  f.SelectedGame = f.Games->back().get();
  ShowOnceSeam seam;
  plat::SetUi(&seam);
  for (auto _ : state) {
    state.PauseTiming();
    WriteDataFiles(f, 20u << 20, 5u << 20);  // new times: the kept copies are read again
    state.ResumeTiming();
    f.MameRomsetDetailACTNExecute();
  }
  plat::SetUi(nullptr);
}
BENCHMARK(BM_RomsetReportLargeDataFilesUncached)->Unit(benchmark::kMillisecond)->Iterations(5);

// The last game's history entry without "$end", the file filled with NUL bytes up to the data
// files' bound: read afresh, the entry cut.
void BM_RomsetReportOpenEntryAtBound(benchmark::State& state) {
  TMainFRM& f = Window();
  WriteDataFiles(f, 1u << 20, 1u << 20);
  f.SelectedGame = f.Games->back().get();
  const std::string history = BenchHome() + "HISTORY.DAT";
  ShowOnceSeam seam;
  plat::SetUi(&seam);
  for (auto _ : state) {
    state.PauseTiming();
    plat::WriteFileAtomic(history, "$info=" + f.SelectedGame->Name.str() + "\r\n$bio\r\nStory.\r\n");
    truncate(history.c_str(), static_cast<off_t>(datafiles::kMaxDataFileSize));
    state.ResumeTiming();
    f.MameRomsetDetailACTNExecute();
  }
  plat::SetUi(nullptr);
  if (seam.shown != static_cast<int>(state.iterations())) state.SkipWithError("not shown");
}
BENCHMARK(BM_RomsetReportOpenEntryAtBound)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
