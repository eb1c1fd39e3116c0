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

// The bound on the memory decoding a JPEG takes: its file, libjpeg's own memory (the whole
// coefficients of a progressive file among it, 2 bytes a coefficient) and the picture
// together. A 48-megapixel progressive picture at full chroma (10 bytes a pixel) fits with a
// file of up to 50 MB; progressive CMYK (12 bytes a pixel) up to about 44 megapixels.
constexpr uint64_t kMaxJpegMemory = uint64_t(512) << 20;
// The bound in force (tests and the fuzz targets lower it).
inline uint64_t MaxJpegMemory = kMaxJpegMemory;

// An arithmetic-coded coefficient takes three to seven times as long as a Huffman-coded one:
// its work counts six times. All scans together may take at most the work of the largest
// Huffman-coded pictures within the bounds (grey progressive ones of 170 megapixels).
constexpr int kJpegArithmeticCost = 6;
constexpr uint64_t kMaxJpegWork = uint64_t(1) << 30;
// The bound in force (tests and the fuzz targets lower it).
inline uint64_t MaxJpegWork = kMaxJpegWork;

// Decodes a JPEG held in memory. A picture beyond the picture bound, one whose decoding
// needs more than MaxJpegMemory, more scans than kMaxJpegScans, more work than
// kMaxJpegWorkPerBlock or MaxJpegWork, scans that refine the same bits again, and whatever
// libjpeg cannot read raise EJpegError with the reason. Damage the library can go past (a cut
// file) still gives the picture.
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
