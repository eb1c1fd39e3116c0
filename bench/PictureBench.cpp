// Picture panel speed: selecting a game whose 640 x 480 PNG screenshot lies in a folder of
// 40,000 pictures (lookup, decode and layout), and that folder read again after a change.
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

// A picture panel on a folder of 40,000 pictures (one PNG in a hundred, empty JPG files else),
// with a game per PNG.
struct PicturePanelOnFolder {
  const std::string snap = BenchHome() + "snap/";
  ShowOnceSeam seam;  // the start-up tip and any message are answered unseen
  std::unique_ptr<TMainFRM> f;

  PicturePanelOnFolder() {
    BenchApplication();
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
      else if (FILE* out = std::fopen(file.c_str(), "wb"))
        std::fclose(out);
    }
    plat::SetUi(&seam);
    f = std::make_unique<TMainFRM>();
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
  }
  ~PicturePanelOnFolder() {
    f->ProfileLoaded = 0;  // nothing of this window's is written at its end
    f.reset();
    plat::SetUi(nullptr);
    plat::RemoveTree(snap);
  }
};

void BM_SelectGameWithPicture(benchmark::State& state) {
  PicturePanelOnFolder panel;
  TMainFRM* f = panel.f.get();
  size_t i = 0;
  for (auto _ : state) {
    f->SelectedGame = (*f->Games)[i++ % f->Games->size()].get();
    f->FindPicture(f->SelectedGame);
    QApplication::processEvents();
  }
  if (f->CurrentPictureFile.empty()) state.SkipWithError("no picture found");
}
BENCHMARK(BM_SelectGameWithPicture)->Unit(benchmark::kMillisecond);

// After a game, or a change in the shown folder: the folder of 40,000 pictures read again and
// the selected game's picture shown (read again only when it changed).
void BM_PicturesRenewedAfterAChange(benchmark::State& state) {
  PicturePanelOnFolder panel;
  TMainFRM* f = panel.f.get();
  f->SelectedGame = f->Games->front().get();
  f->FindPicture(f->SelectedGame);
  for (auto _ : state) {
    f->RenewPictures();
    QApplication::processEvents();
  }
  if (f->CurrentPictureFile.empty()) state.SkipWithError("no picture found");
}
BENCHMARK(BM_PicturesRenewedAfterAChange)->Unit(benchmark::kMillisecond);

}  // namespace
