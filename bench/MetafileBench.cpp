// Drawing metafiles: a 100 x 50 one; a few hundred bytes whose box is 32767 units square at
// 1,440 units an inch, filled once (drawn smaller) and 24 times; 20,000 fills of a small box
// and 300,000 records that draw nothing (refused). Ordinary files: a letter page of a 64-step
// radial gradient, eight full fills, a banner in a square frame, a rule line, rotated text, a
// 12-megapixel photo in a 6-inch frame, two squares as one shape; hostile ones: 7 ellipses drawn
// with a pen as wide as the picture, 1,000 small rectangles with a fat pen (refused).
#include <benchmark/benchmark.h>

#include <QImage>

#include "../tests/codecs/WmfCorpus.h"
#include "BenchSupport.h"
#include "codecs/PictureFormats.h"
#include "platform/Files.h"

namespace {

void Draw(benchmark::State& state, const char* name, const std::string& data) {
  if (!codecs::HaveMetafiles()) {
    state.SkipWithError("no libwmf");
    return;
  }
  const std::string path = BenchHome() + name;
  plat::WriteFileAtomic(path, data);
  for (auto _ : state) {
    QImage image;
    std::string error;
    benchmark::DoNotOptimize(codecs::LoadPicture(path, image, error));
  }
}

using namespace wmfcorpus;

// TEXTOUT at x, y, in the font just made (handle `handle`).
std::string Text(int handle, int x, int y, const std::string& text) {
  std::string s = text.size() % 2 ? text + '\0' : text;
  std::string r = Dword(uint32_t(3 + 1 + s.size() / 2 + 2)) + Word(0x0521) +
                  Word(int(text.size())) + s + Word(y) + Word(x);
  return Record(0x012D, {handle}) + Record(0x0209, {0x0000, 0x80}) + Record(0x0102, {1}) + r;
}
std::string FontRecord(int height, int escapement) {
  std::string face("Arial", 6);
  std::string r = Dword(uint32_t(3 + 9 + 3)) + Word(0x02FB);
  for (int p : {height, 0, escapement, escapement, 400, 0, 0, 0, 0}) r += Word(p);
  return r + face;
}
std::string Gradient() {
  std::string body = Record(0x02FA, {5, 0, 0, 0, 0}) + Record(0x012D, {0});
  for (int i = 0; i < 64; ++i) {
    const int c = 255 * i / 63, dx = 12240 * i / 128, dy = 15840 * i / 128;
    body += Record(0x02FC, {0, c, 255 - c, 0}) + Record(0x012D, {1}) +
            Ellipse(dx, dy, 12240 - dx, 15840 - dy) + Record(0x01F0, {1});
  }
  return Placeable(12240, 15840, 1440, body);
}
// 4,000 x 3,000 pixels of 24 bits stretched over 6 x 4.5 inches.
std::string Photo() {
  const int w = 4000, h = 3000, row = w * 3;
  std::string dib = Dword(40) + Dword(w) + Dword(h) + Word(1) + Word(24) + Dword(0) +
                    Dword(uint32_t(row * h)) + Dword(0) + Dword(0) + Dword(0) + Dword(0);
  dib.reserve(dib.size() + size_t(row) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) dib += {char(x), char(y), char(x ^ y)};
  std::string r = Dword(uint32_t(3 + 11 + dib.size() / 2)) + Word(0x0F43);
  for (int p : {0x0020, 0x00CC, 0, h, w, 0, 0, 6480, 8640, 0, 0}) r += Word(p);
  return Placeable(8640, 6480, 1440, r + dib);
}

void BM_MetafileGradientLetterPage(benchmark::State& s) { Draw(s, "gradient.wmf", Gradient()); }
void BM_MetafileEightFullFills(benchmark::State& s) {
  Draw(s, "fills8.wmf", Metafile(32767, 32767, 1440, 8));
}
void BM_MetafileBannerInSquareFrame(benchmark::State& s) {
  Draw(s, "banner.wmf",
       Placeable(10000, 10000, 1440,
                 Brush(0x3030C8) + Rectangle(0, 4000, 10000, 5000) + FontRecord(-700, 0) +
                     Text(1, 500, 4100, "BANNER")));
}
void BM_MetafileRuleLine(benchmark::State& s) {
  Draw(
      s, "rule.wmf",
      Placeable(8640, 100, 1440, Pen(0, 0) + Record(0x0214, {50, 0}) + Record(0x0213, {50, 8640})));
}
void BM_MetafileRotatedText(benchmark::State& s) {
  Draw(s, "rotated.wmf",
       Placeable(2000, 6000, 1440, FontRecord(-600, 900) + Text(0, 1200, 5800, "Rotated text")));
}
void BM_MetafilePhoto12Mpixels(benchmark::State& s) { Draw(s, "photo.wmf", Photo()); }
void BM_MetafileSquaresWithHole(benchmark::State& s) {
  Draw(s, "squares.wmf",
       Placeable(2000, 1000, 1440, Brush(0xFF8000) + Squares({{100, 100, 800}, {300, 300, 400}})));
}
void BM_MetafileWidePenEllipses(benchmark::State& s) {
  Draw(s, "widepen.wmf", WidePenEllipses());
}
void BM_MetafileFatPenRectangles(benchmark::State& s) {
  Draw(s, "fatpen.wmf", FatPenRectangles());
}

void BM_Metafile100x50(benchmark::State& s) {
  Draw(s, "small.wmf", wmfcorpus::Metafile(100, 50, 96, 1));
}
void BM_MetafileHugeBoxOneFill(benchmark::State& s) {
  Draw(s, "huge1.wmf", wmfcorpus::Metafile(32767, 32767, 1440, 1));
}
void BM_MetafileHugeBox24Fills(benchmark::State& s) {
  Draw(s, "huge24.wmf", wmfcorpus::Metafile(32767, 32767, 1440, 24));
}
void BM_Metafile20000Fills(benchmark::State& s) {
  Draw(s, "fills.wmf", wmfcorpus::Metafile(100, 50, 96, 20000));
}
void BM_Metafile300000Records(benchmark::State& s) {
  Draw(s, "records.wmf", wmfcorpus::Metafile(100, 50, 96, 1, 300000));
}

}  // namespace

BENCHMARK(BM_Metafile100x50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileHugeBoxOneFill)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileHugeBox24Fills)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Metafile20000Fills)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Metafile300000Records)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileGradientLetterPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileEightFullFills)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileBannerInSquareFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileRuleLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileRotatedText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafilePhoto12Mpixels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileSquaresWithHole)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileWidePenEllipses)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileFatPenRectangles)->Unit(benchmark::kMillisecond);
