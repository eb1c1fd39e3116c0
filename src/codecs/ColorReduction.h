// Reducing a true-colour bitmap to 256 colours or fewer: the methods and their palettes, the
// colour look-ups, the error-diffusion ditherers and the octree quantizer.
#pragma once
#include <QImage>
#include <QVector>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace gif {

enum TColorReduction : uint8_t {
  rmNone = 0,
  rmWindows20 = 1,
  rmHalftone = 2,
  rmWindowsGray = 3,
  rmMonochrome = 4,
  rmGrayScale = 5,
  rmNetscape = 6,
  rmQuantize = 7,
  rmQuantizeWindows = 8,
  rmPalette = 9
};

enum TDitherMode : uint8_t {
  dmNearest = 0,
  dmFloydSteinberg = 1,
  dmStucki = 2,
  dmSierra = 3,
  dmJaJuNI = 4,
  dmSteveArche = 5,
  dmBurkes = 6
};

// A palette colour chosen by a look-up.
struct TLookupResult {
  uint8_t Index;
  uint8_t Red, Green, Blue;
};

class TColorLookup {
 public:
  explicit TColorLookup(int colors) : colors_(colors) {}
  virtual ~TColorLookup() = default;
  virtual TLookupResult Lookup(int red, int green, int blue) = 0;
  int Colors() const { return colors_; }

 protected:
  int colors_;
};

// Nearest palette entry by the sum of channel distances, cached per 15-bit colour.
class TFastColorLookup : public TColorLookup {
 public:
  explicit TFastColorLookup(const QVector<QRgb>& palette);
  TLookupResult Lookup(int red, int green, int blue) override;

 private:
  std::vector<QRgb> palette_;
  std::vector<uint16_t> cache_;
};

class TNetscapeColorLookup : public TColorLookup {
 public:
  TNetscapeColorLookup() : TColorLookup(216) {}
  TLookupResult Lookup(int red, int green, int blue) override;
};

class TGrayScaleLookup : public TColorLookup {
 public:
  TGrayScaleLookup() : TColorLookup(256) {}
  TLookupResult Lookup(int red, int green, int blue) override;
};

class TMonochromeLookup : public TColorLookup {
 public:
  TMonochromeLookup() : TColorLookup(2) {}
  TLookupResult Lookup(int red, int green, int blue) override;
};

// Plain look-up with the serpentine scan: rows alternate left to right and right to left.
class TDitherEngine {
 public:
  TDitherEngine(int width, TColorLookup& lookup) : width_(width), lookup_(lookup) {}
  virtual ~TDitherEngine() = default;
  virtual TLookupResult Dither(int red, int green, int blue);
  virtual void NextLine();
  // Passes over the pixel at the column without looking it up.
  void Skip() { column_ += direction_; }
  int Direction() const { return direction_; }
  int Column() const { return column_; }

 protected:
  int direction_ = 1;
  int column_ = 0;
  int width_;
  TColorLookup& lookup_;
};

// Error diffusion with a kernel over the current row and up to three rows below; the error
// rows keep three spare entries at each end, as far as any kernel reaches.
class TErrorDiffusionDitherer : public TDitherEngine {
 public:
  struct Weight {
    int Row, Column, Value;  // Column is in the scan direction
  };
  TErrorDiffusionDitherer(int width, TColorLookup& lookup, std::vector<Weight> kernel, int divisor,
                          int rounding);
  TLookupResult Dither(int red, int green, int blue) override;
  void NextLine() override;

 private:
  static constexpr int kSpare = 3;
  std::vector<Weight> kernel_;
  int divisor_, rounding_, rows_;
  std::vector<int> errors_;  // rows_ x 3 channels x (width + 2 * kSpare)
  int stride_;
};

class TFloydSteinbergDitherer : public TErrorDiffusionDitherer {
 public:
  TFloydSteinbergDitherer(int width, TColorLookup& lookup);
};
class T5by3Ditherer : public TErrorDiffusionDitherer {
 public:
  using TErrorDiffusionDitherer::TErrorDiffusionDitherer;
};
class TStuckiDitherer : public T5by3Ditherer {
 public:
  TStuckiDitherer(int width, TColorLookup& lookup);
};
class TSierraDitherer : public T5by3Ditherer {
 public:
  TSierraDitherer(int width, TColorLookup& lookup);
};
class TJaJuNiDitherer : public T5by3Ditherer {
 public:
  TJaJuNiDitherer(int width, TColorLookup& lookup);
};
class TSteveArcheDitherer : public TErrorDiffusionDitherer {
 public:
  TSteveArcheDitherer(int width, TColorLookup& lookup);
};
class TBurkesDitherer : public TErrorDiffusionDitherer {
 public:
  TBurkesDitherer(int width, TColorLookup& lookup);
};

std::unique_ptr<TDitherEngine> CreateDitherer(int mode, int width, TColorLookup& lookup);

class TColorQuantizer {
 public:
  TColorQuantizer(int maxColors, int colorBits);
  ~TColorQuantizer();
  void ProcessImage(const QImage& image);
  void AddColor(int red, int green, int blue);
  // One colour per leaf, depth first.
  QVector<QRgb> ColorTable() const;
  int LeafCount() const { return leafCount_; }

 private:
  struct Node;
  Node* NewNode(int level);
  void Reduce();
  std::unique_ptr<Node> root_;
  int leafCount_ = 0;
  std::array<Node*, 9> reducible_{};
  int maxColors_, colorBits_;
};

// The 20 colours of the stock default palette.
const QVector<QRgb>& SystemPalette();
// The 216-colour web palette: entry r*36 + g*6 + b = (51r, 51g, 51b).
QVector<QRgb> WebPalette();
// The halftone palette: the system colours around the 216-colour cube.
QVector<QRgb> HalftonePalette();

// A new bitmap: a 24-bit copy for rmNone, else 8 bits over the method's palette. Raises
// GIFException "Color table is empty" when the palette has no colours.
QImage ReduceColors(const QImage& source, int method, int ditherMode,
                    const QVector<QRgb>& customPalette = {}, int bits = 8);

}  // namespace gif
