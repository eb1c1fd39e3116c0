// What the picture fuzz targets (and their regression test) require of any input: no
// crash, bounded memory, and a model that holds together.
#pragma once
#include <QImage>

#include <string>
#include <string_view>

#include "codecs/GIFImage.h"
#include "codecs/PngImage.h"

namespace fuzzchecks {

// Keeps a fuzz run's pictures small; the limits stay in force for the whole process.
inline void LimitPictureSizes() {
  gif::MaxPixels = uint64_t(1) << 22;
  pngimage::TPngImage::MaxPixels = uint64_t(1) << 22;
}

// Any bytes either read or raise GIFException; the frames read so far keep their pixels and
// frame 0 renders on the logical screen.
inline bool CheckGif(std::string_view data) {
  gif::TGIFImage img;
  try {
    img.LoadFromData(std::string(data));
  } catch (const gif::GIFException&) {
  }
  for (int i = 0; i < img.Count(); ++i) {
    const gif::TGIFSubImage& f = img.Frame(i);
    if (!f.Data().empty() && f.Data().size() != size_t(f.Width) * f.Height) return false;
  }
  try {
    const QImage* b = img.GetBitmap();
    if (b && !b->isNull() && b->size() != QSize(img.GetWidth(), img.GetHeight())) return false;
  } catch (const gif::GIFException&) {
  }
  return true;
}

// Any bytes either read into rows of 3 or 4 bytes per pixel or raise the PNG class's error.
inline bool CheckPng(std::string_view data) {
  auto* png = new pngimage::TPngImage;
  bool ok = true;
  try {
    png->LoadFromStream(data.data(), data.size());
    ok = (png->BytesPerPixel == 3 || png->BytesPerPixel == 4) &&
         png->Pixels.size() == size_t(png->Width) * png->Height * size_t(png->BytesPerPixel);
    QImage bitmap;
    if (ok) png->CopyToBitmap(bitmap, 1, 2);
    ok = ok && bitmap.width() == int(png->Width) + 1 && bitmap.height() == int(png->Height) + 2;
  } catch (const pngimage::EPngError&) {
  }
  png->Release();
  return ok;
}

}  // namespace fuzzchecks
