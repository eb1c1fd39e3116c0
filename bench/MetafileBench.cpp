// Drawing metafiles: a 100 x 50 one; a few hundred bytes whose box is 32767 units square at
// 1,440 units an inch, filled once (drawn smaller) and 24 times; 20,000 fills of a small box
// and 300,000 records that draw nothing (refused). Ordinary files: a letter page of a 64-step
// radial gradient, eight full fills, a banner in a square frame, a rule line, rotated text, a
// 12-megapixel photo in a 6-inch frame, two squares as one shape; hostile ones: 7 ellipses drawn
// with a pen as wide as the picture, 1,000 small rectangles with a fat pen (refused); shapes
// whose cost is the library's or the toolkit's beyond the pixels they touch (each refused or shown
// within the play's second): 140 ellipses of radius 32,000 units about a window of 10, thin
// zigzags across the picture (16 of 32,000 points, 40 of 65,535), 20 polypolygons of 16,000
// squares, 60,000 letters each in a new face, 40,000 holes cut from the clip then 80,000
// SaveDC/RestoreDC pairs, a 16-megapixel pattern brush and more fills than the bound.
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

void BM_MetafileHugeEllipses(benchmark::State& s) {
  Draw(s, "ellipses.wmf", Placeable(10, 10, 1, Pen(1, 0) + Repeat(140, [](int i) {
                                                 return Ellipse(-31995 + i, -31995, 32005 - i,
                                                                32005);
                                               })));
}
std::string Zigzags(int lines, int points) {
  return Placeable(10000, 10000, 1440, PenOf(0, 0, 0) + Select(0) + Repeat(lines, [&](int k) {
                                         std::vector<std::vector<int>> p;
                                         for (int i = 0; i < points; ++i)
                                           p.push_back({i % 2 ? 0 : 10000, (i * 7 + k) % 10000});
                                         return Polyline(0x0325, p);
                                       }));
}
void BM_MetafileThinZigzags16x32000(benchmark::State& s) {
  Draw(s, "zig16.wmf", Zigzags(16, 32000));
}
void BM_MetafileThinZigzags40x65535(benchmark::State& s) {
  Draw(s, "zig40.wmf", Zigzags(40, 65535));
}
void BM_MetafilePolyPolygons20x16000(benchmark::State& s) {
  std::vector<std::vector<int>> squares;
  for (int i = 0; i < 16000; ++i) squares.push_back({40 * (i % 128), 40 * (i / 128), 3});
  const std::string record = Squares(squares);
  Draw(s, "polypolygons.wmf",
       Placeable(5120, 5120, 1440, Brush(0xFF) + Repeat(20, [&](int) { return record; })));
}
void BM_MetafileFontFaces60000(benchmark::State& s) {
  Draw(s, "faces.wmf", Placeable(600, 200, 96, Repeat(60000, [](int i) {
                                   return Font(-12, 0, "Face" + std::to_string(i)) + Select(0) +
                                          wmfcorpus::Text(10 + i % 500, 20 + i / 500, "A") +
                                          Record(0x01F0, {0});
                                 })));
}
void BM_MetafileClipHoles40000(benchmark::State& s) {
  Draw(s, "holes.wmf", Placeable(400, 400, 96, Repeat(40000, [](int i) {
                                                 const int x = 2 * (i % 200), y = 2 * (i / 200);
                                                 return Record(0x0415, {y + 1, x + 1, y, x});
                                               }) + Repeat(80000, [](int) {
                                                 return Record(0x001E, {}) + Record(0x0127, {-1});
                                               })));
}
void BM_MetafilePatternBrushStopped(benchmark::State& s) {
  // A 4,096 x 4,096 one-bit brush, then 200 fills of the picture (the bound takes 64).
  const std::string bits(4096 * 4096 / 8, '\xAA');
  const std::string dib = Dword(40) + Dword(4096) + Dword(4096) + Word(1) + Word(1) + Dword(0) +
                          Dword(uint32_t(bits.size())) + Dword(0) + Dword(0) + Dword(2) + Dword(0) +
                          Dword(0x0000FF) + Dword(0xFFFFFF) + bits;
  const std::string brush =
      Dword(uint32_t(3 + 2 + dib.size() / 2)) + Word(0x0142) + Word(0) + Word(0) + dib;
  Draw(s, "brush.wmf", Placeable(32767, 32767, 1440, brush + Select(0) + Repeat(200, [](int) {
                                                       return Rectangle(0, 0, 32767, 32767);
                                                     })));
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
BENCHMARK(BM_MetafileHugeEllipses)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileThinZigzags16x32000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileThinZigzags40x65535)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafilePolyPolygons20x16000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileFontFaces60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileClipHoles40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafilePatternBrushStopped)->Unit(benchmark::kMillisecond);
