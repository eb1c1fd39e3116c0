// JPEG pictures through libjpeg: grey pictures become 8-bit grey bitmaps, colour and CMYK
// ones 32-bit bitmaps (CMYK as Adobe writes it, inverted). The orientation tag is not applied.
#pragma once
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "codecs/Graphic.h"

namespace codecs {

class EJpegError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Most scans a file may have: real progressive files have about ten, and each scan is one
// more pass over the whole picture.
constexpr int kMaxJpegScans = 200;

// Most work all scans together may take, in coefficients a block of the picture: a scan
// costs, for each block it covers, the coefficients of its band and kJpegBlockCost more.
// Real progressive files take at most about 290 (grey, or the luminance of colour).
constexpr int kJpegBlockCost = 16;
constexpr int kMaxJpegWorkPerBlock = 6 * 64;

// The bound on libjpeg's own memory, the whole coefficients of a progressive file among it
// (2 bytes a coefficient: 6 bytes a pixel at full chroma): a 48-megapixel progressive
// picture at full chroma fits.
constexpr uint64_t kMaxJpegMemory = uint64_t(320) << 20;
// The bound in force (tests and the fuzz targets lower it).
inline uint64_t MaxJpegMemory = kMaxJpegMemory;

// Decodes a JPEG held in memory. A picture beyond the picture bound, one whose decoding
// needs more than MaxJpegMemory, more scans than kMaxJpegScans or more work than
// kMaxJpegWorkPerBlock, scans that refine the same bits again, and whatever libjpeg cannot
// read raise EJpegError with the reason. Damage the library can go past (a cut file) still
// gives the picture.
QImage DecodeJpeg(const void* data, size_t size);

class TJpegPicture : public TGraphic {
 public:
  // The file is read within the picture bound.
  void LoadFromFile(const std::string& fileName) override;
  bool GetEmpty() const override { return image_.isNull(); }
  int GetWidth() const override { return image_.width(); }
  int GetHeight() const override { return image_.height(); }
  QImage ToImage() override { return image_; }

 private:
  QImage image_;
};

}  // namespace codecs
