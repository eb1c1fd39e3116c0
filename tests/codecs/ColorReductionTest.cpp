// Colour reduction: the look-ups in closed form over every colour, the methods, the
// ditherers (Floyd-Steinberg against a textbook version) and the octree quantizer.
#include <gtest/gtest.h>

#include <random>

#include "codecs/ColorReduction.h"
#include "codecs/GifLzw.h"

namespace {

using namespace gif;

TEST(ColorReduction, LookupsInClosedFormOverEveryColor) {
  TNetscapeColorLookup web;
  TGrayScaleLookup grey;
  TMonochromeLookup mono;
  int bad = 0;
  for (int r = 0; r < 256; ++r)
    for (int g = 0; g < 256; ++g)
      for (int b = 0; b < 256; ++b) {
        // Web: the nearest multiple of 51 per channel, ties and near-ties rounding as (c+3)/51.
        const int wr = (r + 3) / 51, wg = (g + 3) / 51, wb = (b + 3) / 51;
        TLookupResult w = web.Lookup(r, g, b);
        bad += w.Index != wr * 36 + wg * 6 + wb || w.Red != wr * 51 || w.Blue != wb * 51;
        const int lum = 77 * r + 150 * g + 29 * b;
        TLookupResult y = grey.Lookup(r, g, b);
        bad += y.Index != lum / 256 || y.Green != lum / 256;
        TLookupResult m = mono.Lookup(r, g, b);
        bad += m.Index != (lum >= 32513 ? 1 : 0) || m.Red != (lum >= 32513 ? 255 : 0);
      }
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(mono.Lookup(127, 127, 127).Index, 0);
  EXPECT_EQ(mono.Lookup(128, 128, 128).Index, 1);
  EXPECT_EQ(web.Lookup(47, 47, 47).Index, 0);
  const TLookupResult w48 = web.Lookup(48, 48, 48);
  EXPECT_EQ(w48.Index, 43);
  EXPECT_EQ(w48.Red, 51);
  const QVector<QRgb> wp = WebPalette();
  for (int i : {0, 43, 100, 215}) {
    TLookupResult x = web.Lookup(qRed(wp[i]), qGreen(wp[i]), qBlue(wp[i]));
    EXPECT_EQ(x.Index, i);
  }
}

QImage Noise(int w, int h, uint32_t seed) {
  QImage img(w, h, QImage::Format_RGB888);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w * 3; ++x) img.scanLine(y)[x] = uint8_t(rng());
  return img;
}

// Floyd-Steinberg as printed in textbooks, on whole numbers, serpentine.
QImage TextbookFloydSteinberg(const QImage& src, TColorLookup& lookup) {
  const int w = src.width(), h = src.height();
  QImage out(w, h, QImage::Format_Indexed8);
  std::vector<std::array<int, 3>> cur(size_t(w) + 2), next(size_t(w) + 2);
  for (int y = 0; y < h; ++y) {
    const bool ltr = y % 2 == 0;
    for (int i = 0; i < w; ++i) {
      const int x = ltr ? i : w - 1 - i, d = ltr ? 1 : -1;
      int v[3];
      for (int c = 0; c < 3; ++c)
        v[c] =
            std::clamp(src.constScanLine(y)[x * 3 + c] + (cur[size_t(x + 1)][c] + 8) / 16, 0, 255);
      const TLookupResult r = lookup.Lookup(v[0], v[1], v[2]);
      out.scanLine(y)[x] = r.Index;
      const int got[3] = {r.Red, r.Green, r.Blue};
      for (int c = 0; c < 3; ++c) {
        const int e = v[c] - got[c];
        cur[size_t(x + 1 + d)][c] += 7 * e;
        next[size_t(x + 1 - d)][c] += 3 * e;
        next[size_t(x + 1)][c] += 5 * e;
        next[size_t(x + 1 + d)][c] += e;
      }
    }
    cur.swap(next);
    std::fill(next.begin(), next.end(), std::array<int, 3>{});
  }
  return out;
}

TEST(ColorReduction, FloydSteinbergMatchesTheTextbook) {
  for (int method : {rmNetscape, rmGrayScale, rmMonochrome}) {
    const QImage src = Noise(37, 23, uint32_t(method));
    const QImage ours = ReduceColors(src, method, dmFloydSteinberg);
    std::unique_ptr<TColorLookup> lookup;
    if (method == rmNetscape) lookup = std::make_unique<TNetscapeColorLookup>();
    if (method == rmGrayScale) lookup = std::make_unique<TGrayScaleLookup>();
    if (method == rmMonochrome) lookup = std::make_unique<TMonochromeLookup>();
    const QImage ref = TextbookFloydSteinberg(src, *lookup);
    for (int y = 0; y < src.height(); ++y)
      EXPECT_EQ(0, std::memcmp(ours.constScanLine(y), ref.constScanLine(y), size_t(src.width())))
          << method << " row " << y;
  }
}

TEST(ColorReduction, EveryMethodAndDitherMode) {
  // A flat colour on a palette entry stays that entry under every kernel; narrow pictures
  // keep every kernel inside its error rows.
  const QRgb flat = qRgb(102, 153, 51);
  for (int mode = dmNearest; mode <= dmBurkes; ++mode)
    for (int w : {1, 2, 3, 4, 9}) {
      QImage src(w, 5, QImage::Format_RGB888);
      src.fill(flat);
      const QImage r = ReduceColors(src, rmNetscape, mode);
      ASSERT_EQ(r.format(), QImage::Format_Indexed8);
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < w; ++x) EXPECT_EQ(r.pixel(x, y), flat) << mode;
      const QImage n = ReduceColors(Noise(w, 6, uint32_t(w)), rmQuantize, mode, {}, 3);
      EXPECT_LE(n.colorCount(), 8);
    }
  // Without dithering each pixel is the plain look-up.
  const QImage src = Noise(20, 10, 4);
  TNetscapeColorLookup web;
  const QImage plain = ReduceColors(src, rmNetscape, dmNearest);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) {
      const uint8_t* p = src.constScanLine(y) + x * 3;
      EXPECT_EQ(plain.pixelIndex(x, y), web.Lookup(p[0], p[1], p[2]).Index);
    }
  struct {
    int Method, Colors;
  } sizes[] = {{rmWindows20, 20},  {rmHalftone, 236}, {rmWindowsGray, 4},      {rmMonochrome, 2},
               {rmGrayScale, 256}, {rmNetscape, 216}, {rmQuantizeWindows, 256}};
  for (const auto& s : sizes)
    EXPECT_EQ(ReduceColors(src, s.Method, dmStucki).colorCount(), s.Colors);
  const QImage copy = ReduceColors(src, rmNone, dmNearest);
  EXPECT_EQ(copy.format(), QImage::Format_RGB888);
  EXPECT_EQ(copy, src);
  EXPECT_THROW(ReduceColors(src, rmPalette, dmNearest, {}), GIFException);
  const QImage custom = ReduceColors(src, rmPalette, dmSierra, {qRgb(1, 2, 3)});
  EXPECT_EQ(custom.pixel(5, 5), qRgb(1, 2, 3));
}

TEST(ColorReduction, OctreeQuantizer) {
  QImage four(2, 2, QImage::Format_RGB888);
  const QRgb colors[4] = {qRgb(250, 10, 10), qRgb(10, 250, 10), qRgb(10, 10, 250),
                          qRgb(200, 200, 200)};
  for (int i = 0; i < 4; ++i) four.setPixel(i % 2, i / 2, colors[i]);
  const QImage r = ReduceColors(four, rmQuantize, dmNearest, {}, 8);
  ASSERT_EQ(r.colorCount(), 4);
  // Depth first by the top bits: blue (001), green (010), red (100), grey (111).
  EXPECT_EQ(r.colorTable(), (QVector<QRgb>{colors[2], colors[1], colors[0], colors[3]}));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(r.pixel(i % 2, i / 2), colors[i]);
  // Reducing merges the deepest nodes and averages their colours.
  TColorQuantizer q(2, 8);
  q.AddColor(0, 0, 0);
  q.AddColor(0, 0, 2);
  q.AddColor(255, 255, 255);
  EXPECT_EQ(q.ColorTable(), (QVector<QRgb>{qRgb(0, 0, 1), qRgb(255, 255, 255)}));
  TColorQuantizer many(16, 8);
  many.ProcessImage(Noise(64, 64, 1));
  EXPECT_LE(many.ColorTable().size(), 16);
}

}  // namespace
