#include "codecs/ColorReduction.h"

#include <algorithm>
#include <cstdlib>

#include "codecs/GifLzw.h"

namespace gif {

// ---- Look-ups ----

TFastColorLookup::TFastColorLookup(const QVector<QRgb>& palette)
    : TColorLookup(int(std::min<qsizetype>(palette.size(), 256))),
      palette_(palette.begin(), palette.begin() + colors_),
      cache_(32768, 0xFFFF) {
  for (int i = 0; i < colors_; ++i) {
    const QRgb c = palette_[size_t(i)];
    const int key = (qRed(c) >> 3) + (qGreen(c) >> 3) * 32 + (qBlue(c) >> 3) * 1024;
    if (cache_[size_t(key)] == 0xFFFF) cache_[size_t(key)] = uint16_t(i);
  }
}

TLookupResult TFastColorLookup::Lookup(int red, int green, int blue) {
  const int key = (red >> 3) + (green >> 3) * 32 + (blue >> 3) * 1024;
  uint16_t& cached = cache_[size_t(key)];
  if (cached == 0xFFFF) {
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < colors_; ++i) {
      const QRgb c = palette_[size_t(i)];
      const int d =
          std::abs(qRed(c) - red) + std::abs(qGreen(c) - green) + std::abs(qBlue(c) - blue);
      if (d < bestDistance) {
        bestDistance = d;
        best = i;
      }
    }
    cached = uint16_t(best);
  }
  const QRgb c = palette_[cached];
  return {uint8_t(cached), uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c))};
}

TLookupResult TNetscapeColorLookup::Lookup(int red, int green, int blue) {
  const int r = (red + 3) / 51, g = (green + 3) / 51, b = (blue + 3) / 51;
  return {uint8_t(r * 36 + g * 6 + b), uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)};
}

TLookupResult TGrayScaleLookup::Lookup(int red, int green, int blue) {
  const uint8_t grey = uint8_t((77 * red + 150 * green + 29 * blue) >> 8);
  return {grey, grey, grey, grey};
}

TLookupResult TMonochromeLookup::Lookup(int red, int green, int blue) {
  if (77 * red + 150 * green + 29 * blue < 32513) return {0, 0, 0, 0};
  return {1, 255, 255, 255};
}

// ---- Ditherers ----

TLookupResult TDitherEngine::Dither(int red, int green, int blue) {
  const TLookupResult r = lookup_.Lookup(red, green, blue);
  column_ += direction_;
  return r;
}

void TDitherEngine::NextLine() {
  direction_ = -direction_;
  column_ = direction_ == 1 ? 0 : width_ - 1;
}

TErrorDiffusionDitherer::TErrorDiffusionDitherer(int width, TColorLookup& lookup,
                                                 std::vector<Weight> kernel, int divisor,
                                                 int rounding)
    : TDitherEngine(width, lookup),
      kernel_(std::move(kernel)),
      divisor_(divisor),
      rounding_(rounding) {
  rows_ = 1;
  for (const Weight& w : kernel_) rows_ = std::max(rows_, w.Row + 1);
  stride_ = width + 2 * kSpare;
  errors_.assign(size_t(rows_) * 3 * size_t(stride_), 0);
}

TLookupResult TErrorDiffusionDitherer::Dither(int red, int green, int blue) {
  const int at = column_ + kSpare;
  const int source[3] = {red, green, blue};
  int value[3];
  for (int ch = 0; ch < 3; ++ch) {
    const int sum = errors_[size_t(ch) * stride_ + at];
    value[ch] = std::clamp(source[ch] + (sum + rounding_) / divisor_, 0, 255);
  }
  const TLookupResult r = lookup_.Lookup(value[0], value[1], value[2]);
  const int chosen[3] = {r.Red, r.Green, r.Blue};
  for (int ch = 0; ch < 3; ++ch) {
    const int error = value[ch] - chosen[ch];
    for (const Weight& w : kernel_)
      errors_[(size_t(w.Row) * 3 + ch) * stride_ + at + w.Column * direction_] += error * w.Value;
  }
  column_ += direction_;
  return r;
}

void TErrorDiffusionDitherer::NextLine() {
  const size_t rowSize = 3 * size_t(stride_);
  std::move(errors_.begin() + rowSize, errors_.end(), errors_.begin());
  std::fill(errors_.end() - rowSize, errors_.end(), 0);
  TDitherEngine::NextLine();
}

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, {{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}}, 16,
                              8) {}

TStuckiDitherer::TStuckiDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup,
                    {{0, 1, 8}, {0, 2, 4},
                     {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2},
                     {2, -2, 1}, {2, -1, 2}, {2, 0, 4}, {2, 1, 2}, {2, 2, 1}},
                    42, 21) {}

TSierraDitherer::TSierraDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup,
                    {{0, 1, 5}, {0, 2, 3},
                     {1, -2, 2}, {1, -1, 4}, {1, 0, 5}, {1, 1, 4}, {1, 2, 2},
                     {2, -1, 2}, {2, 0, 3}, {2, 1, 2}},
                    32, 16) {}

TJaJuNiDitherer::TJaJuNiDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup,
                    {{0, 1, 7}, {0, 2, 5},
                     {1, -2, 3}, {1, -1, 5}, {1, 0, 7}, {1, 1, 5}, {1, 2, 3},
                     {2, -2, 1}, {2, -1, 3}, {2, 0, 5}, {2, 1, 3}, {2, 2, 1}},
                    48, 24) {}

TSteveArcheDitherer::TSteveArcheDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup,
                              {{0, 2, 32},
                               {1, -3, 12}, {1, -1, 26}, {1, 1, 30}, {1, 3, 16},
                               {2, -2, 12}, {2, 0, 26}, {2, 2, 12},
                               {3, -3, 5}, {3, -1, 12}, {3, 1, 12}, {3, 3, 5}},
                              200, 100) {}

TBurkesDitherer::TBurkesDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup,
                              {{0, 1, 8}, {0, 2, 4},
                               {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}},
                              32, 16) {}

std::unique_ptr<TDitherEngine> CreateDitherer(int mode, int width, TColorLookup& lookup) {
  switch (mode) {
    case dmFloydSteinberg: return std::make_unique<TFloydSteinbergDitherer>(width, lookup);
    case dmStucki: return std::make_unique<TStuckiDitherer>(width, lookup);
    case dmSierra: return std::make_unique<TSierraDitherer>(width, lookup);
    case dmJaJuNI: return std::make_unique<TJaJuNiDitherer>(width, lookup);
    case dmSteveArche: return std::make_unique<TSteveArcheDitherer>(width, lookup);
    case dmBurkes: return std::make_unique<TBurkesDitherer>(width, lookup);
    default: return std::make_unique<TDitherEngine>(width, lookup);
  }
}

// ---- Octree quantizer ----

struct TColorQuantizer::Node {
  bool Leaf = false;
  int64_t PixelCount = 0, Red = 0, Green = 0, Blue = 0;
  Node* NextReducible = nullptr;
  std::unique_ptr<Node> Child[8];
};

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits)
    : maxColors_(std::max(1, maxColors)), colorBits_(std::clamp(colorBits, 1, 8)) {
  root_.reset(NewNode(0));
}

TColorQuantizer::~TColorQuantizer() = default;

TColorQuantizer::Node* TColorQuantizer::NewNode(int level) {
  Node* n = new Node;
  if (level == colorBits_) {
    n->Leaf = true;
    ++leafCount_;
  } else {
    n->NextReducible = reducible_[size_t(level)];
    reducible_[size_t(level)] = n;
  }
  return n;
}

void TColorQuantizer::AddColor(int red, int green, int blue) {
  Node* n = root_.get();
  for (int level = 0; !n->Leaf; ++level) {
    const int bit = 7 - level;
    const int i = (((red >> bit) & 1) << 2) | (((green >> bit) & 1) << 1) | ((blue >> bit) & 1);
    if (!n->Child[i]) n->Child[i].reset(NewNode(level + 1));
    n = n->Child[i].get();
  }
  ++n->PixelCount;
  n->Red += red;
  n->Green += green;
  n->Blue += blue;
  while (leafCount_ > maxColors_) Reduce();
}

void TColorQuantizer::Reduce() {
  int level = colorBits_ - 1;
  while (level > 0 && !reducible_[size_t(level)]) --level;
  Node* n = reducible_[size_t(level)];
  if (!n) return;
  reducible_[size_t(level)] = n->NextReducible;
  int children = 0;
  for (auto& c : n->Child) {
    if (!c) continue;
    n->PixelCount += c->PixelCount;
    n->Red += c->Red;
    n->Green += c->Green;
    n->Blue += c->Blue;
    c.reset();
    ++children;
  }
  n->Leaf = true;
  leafCount_ -= children - 1;
}

void TColorQuantizer::ProcessImage(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  for (int y = 0; y < rgb.height(); ++y) {
    const uint8_t* p = rgb.constScanLine(y);
    for (int x = 0; x < rgb.width(); ++x, p += 3) AddColor(p[0], p[1], p[2]);
  }
}

QVector<QRgb> TColorQuantizer::ColorTable() const {
  QVector<QRgb> table;
  auto walk = [&](auto&& self, const Node* n) -> void {
    if (n->Leaf) {
      if (n->PixelCount == 0)
        table.push_back(qRgb(0, 0, 0));
      else
        table.push_back(qRgb(int(n->Red / n->PixelCount), int(n->Green / n->PixelCount),
                             int(n->Blue / n->PixelCount)));
      return;
    }
    for (const auto& c : n->Child)
      if (c) self(self, c.get());
  };
  walk(walk, root_.get());
  return table;
}

// ---- Palettes ----

const QVector<QRgb>& SystemPalette() {
  static const QVector<QRgb> p = {
      qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),     qRgb(128, 128, 0),
      qRgb(0, 0, 128),     qRgb(128, 0, 128),   qRgb(0, 128, 128),   qRgb(192, 192, 192),
      qRgb(192, 220, 192), qRgb(166, 202, 240), qRgb(255, 251, 240), qRgb(160, 160, 164),
      qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),     qRgb(255, 255, 0),
      qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255),   qRgb(255, 255, 255)};
  return p;
}

QVector<QRgb> WebPalette() {
  QVector<QRgb> p;
  p.reserve(216);
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) p.push_back(qRgb(r * 51, g * 51, b * 51));
  return p;
}

QVector<QRgb> HalftonePalette() {
  const QVector<QRgb>& s = SystemPalette();
  QVector<QRgb> p(s.begin(), s.begin() + 10);
  p += WebPalette();
  p += QVector<QRgb>(s.begin() + 10, s.end());
  return p;
}

namespace {

QVector<QRgb> QuantizedPalette(const QImage& source, int maxColors) {
  TColorQuantizer q(maxColors, 8);
  q.ProcessImage(source);
  return q.ColorTable();
}

}  // namespace

QImage ReduceColors(const QImage& source, int method, int ditherMode,
                    const QVector<QRgb>& customPalette, int bits) {
  if (method == rmNone) return source.convertToFormat(QImage::Format_RGB888);
  const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
  QVector<QRgb> palette;
  std::unique_ptr<TColorLookup> lookup;
  switch (method) {
    case rmWindows20: palette = SystemPalette(); break;
    case rmHalftone: palette = HalftonePalette(); break;
    case rmWindowsGray:
      palette = {qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(192, 192, 192), qRgb(255, 255, 255)};
      break;
    case rmMonochrome:
      palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
      lookup = std::make_unique<TMonochromeLookup>();
      break;
    case rmGrayScale:
      for (int i = 0; i < 256; ++i) palette.push_back(qRgb(i, i, i));
      lookup = std::make_unique<TGrayScaleLookup>();
      break;
    case rmNetscape:
      palette = WebPalette();
      lookup = std::make_unique<TNetscapeColorLookup>();
      break;
    case rmQuantize: palette = QuantizedPalette(rgb, 1 << std::clamp(bits, 1, 8)); break;
    case rmQuantizeWindows: {
      const QVector<QRgb>& s = SystemPalette();
      const QVector<QRgb> q = QuantizedPalette(rgb, 236);
      palette = QVector<QRgb>(s.begin(), s.begin() + 10);
      palette += q;
      // Unused entries repeat black, which the system colours hold already.
      palette.resize(246, qRgb(0, 0, 0));
      palette += QVector<QRgb>(s.begin() + 10, s.end());
      break;
    }
    default: palette = customPalette.mid(0, 256); break;
  }
  if (!lookup) lookup = std::make_unique<TFastColorLookup>(palette);
  if (lookup->Colors() == 0 || palette.isEmpty()) throw GIFException("Color table is empty");

  const int w = rgb.width(), h = rgb.height();
  QImage result(w, h, QImage::Format_Indexed8);
  if (w > 0 && h > 0 && result.isNull())
    throw GIFException("Failed to allocate memory for GIF DIB");
  result.setColorTable(palette);
  std::unique_ptr<TDitherEngine> ditherer = CreateDitherer(ditherMode, w, *lookup);
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = rgb.constScanLine(y);
    uint8_t* dst = result.scanLine(y);
    for (int x = ditherer->Column(); x >= 0 && x < w; x = ditherer->Column()) {
      const uint8_t* p = src + size_t(x) * 3;
      dst[x] = ditherer->Dither(p[0], p[1], p[2]).Index;
    }
    ditherer->NextLine();
  }
  return result;
}

}  // namespace gif
