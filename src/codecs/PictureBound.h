// The one bound on a decoded picture, whatever its format: a picture whose pixels would take
// more memory than this is refused before it is decoded (the toolkit's image reader has the
// same allocation limit). The files of pictures are read within it too. A JPEG's file, picture
// and libjpeg's memory together have a bound of their own (MaxJpegMemory).
#pragma once
#include <cstdint>

namespace codecs {

constexpr uint64_t kMaxPictureBytes = uint64_t(256) << 20;
// The bound in force (tests and the fuzz targets lower it).
inline uint64_t MaxPictureBytes = kMaxPictureBytes;

// Whether width x height pixels of `bytesPerPixel` bytes stay within the bound.
inline bool PictureFits(uint64_t width, uint64_t height, uint64_t bytesPerPixel = 4) {
  if (width == 0 || height == 0) return true;
  return width <= MaxPictureBytes / bytesPerPixel &&
         height <= MaxPictureBytes / bytesPerPixel / width;
}

}  // namespace codecs
