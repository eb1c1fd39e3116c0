// Picture panel speed: selecting a game whose 640 x 480 PNG screenshot lies in a folder of
// 40,000 pictures (lookup, decode and layout).
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "database/types.h"
#include "frontend/main.h"
#include "platform/Files.h"

namespace {

constexpr size_t kPictures = 40000;

void BM_SelectGameWithPicture(benchmark::State& state) {
  BenchApplication();
  const std::string snap = BenchHome() + "snap/";
  plat::MakeDirs(snap);
  // A busy 640 x 480 screenshot, so the decode costs what a real one does.
  QImage shot(640, 480, QImage::Format_RGB32);
  {
    QPainter p(&shot);
    for (int y = 0; y < 480; y += 8)
      for (int x = 0; x < 640; x += 8) p.fillRect(x, y, 8, 8, QColor::fromRgb((x * 7919 + y * 104729) & 0xFFFFFF));
  }
  std::vector<std::string> names;
  for (size_t i = 0; i < kPictures; ++i) {
    char n[16];
    std::snprintf(n, sizeof n, "G%07zu", i);
    names.emplace_back(n);
    const std::string file = snap + plat::LowerCase(n) + (i % 100 == 0 ? ".png" : ".jpg");
    if (i % 100 == 0)
      shot.save(QString::fromStdString(file), "PNG");
    else if (FILE* f = std::fopen(file.c_str(), "wb"))
      std::fclose(f);
  }
  ShowOnceSeam seam;  // the start-up tip and any message are answered unseen
  plat::SetUi(&seam);
  auto f = std::make_unique<TMainFRM>();
  f->Games = std::make_unique<GameList>();
  for (size_t i = 0; i < kPictures; i += 100) {
    auto g = types::NewGameRecord();
    g->Name = names[i];
    f->Games->push_back(std::move(g));
  }
  f->ProfileLoaded = 1;
  f->PictureTabs = {snap};
  f->SetPictureTabCaptions({"Snap"});
  f->resize(900, 700);
  f->show();
  QApplication::processEvents();
  size_t i = 0;
  for (auto _ : state) {
    f->SelectedGame = (*f->Games)[i++ % f->Games->size()].get();
    f->FindPicture(f->SelectedGame);
    QApplication::processEvents();
  }
  if (f->CurrentPictureFile.empty()) state.SkipWithError("no picture found");
  f->ProfileLoaded = 0;  // nothing of this window's is written at its end
  f.reset();
  plat::SetUi(nullptr);
  plat::RemoveTree(snap);
}
BENCHMARK(BM_SelectGameWithPicture)->Unit(benchmark::kMillisecond);

}  // namespace
