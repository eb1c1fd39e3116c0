// What the picture fuzz targets (and their regression test) require of any input: no
// crash, bounded memory, and a model that holds together.
#pragma once
#include <QImage>

#include <string>
#include <string_view>
#include <vector>

#include "codecs/GIFImage.h"
#include "codecs/JpegPicture.h"
#include "codecs/PictureBound.h"
#include "codecs/PngImage.h"

namespace fuzzchecks {

// Keeps a fuzz run's pictures small; the limits stay in force for the whole process.
inline void LimitPictureSizes() {
  gif::MaxPixels = uint64_t(1) << 22;
  codecs::MaxPictureBytes = uint64_t(1) << 24;
  codecs::MaxJpegMemory = uint64_t(1) << 25;
  codecs::MaxJpegWork = uint64_t(1) << 26;
}

// What was read is written back (or refused with GIFException) and reads again with the same
// pixels; optimising what was written back still writes.
inline bool CheckGifRoundTrip(gif::TGIFImage& img) {
  std::string out;
  try {
    img.SaveToStream(out);
  } catch (const gif::GIFException&) {
    return true;
  }
  gif::TGIFImage back;
  try {
    back.LoadFromData(out);
  } catch (const gif::GIFException&) {
    return false;
  }
  std::vector<const gif::TGIFSubImage*> a, b;
  for (int i = 0; i < img.Count(); ++i)
    if (!img.Frame(i).Empty()) a.push_back(&img.Frame(i));
  for (int i = 0; i < back.Count(); ++i)
    if (!back.Frame(i).Empty()) b.push_back(&back.Frame(i));
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i]->Data() != b[i]->Data()) return false;
  try {
    back.Optimize(gif::ooCrop | gif::ooMerge | gif::ooCleanup | gif::ooColorMap, 0, 8, 0);
    out.clear();
    back.SaveToStream(out);
  } catch (const gif::GIFException&) {
    return false;
  }
  return true;
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
  return CheckGifRoundTrip(img);
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

// Any bytes either decode into a 32-bit or 8-bit grey bitmap within the picture bound or
// raise the JPEG error.
inline bool CheckJpeg(std::string_view data) {
  try {
    const QImage img = codecs::DecodeJpeg(data.data(), data.size());
    return !img.isNull() &&
           (img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_Grayscale8) &&
           codecs::PictureFits(uint64_t(img.width()), uint64_t(img.height()), img.depth() / 8);
  } catch (const codecs::EJpegError&) {
    return true;
  }
}

}  // namespace fuzzchecks
