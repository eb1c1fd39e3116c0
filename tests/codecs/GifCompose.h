// The pictures an animation shows, frame after frame, composed from giflib's decoding.
#pragma once
#include <gif_lib.h>

#include <QImage>

#include <string>
#include <vector>

#include "GifCorpus.h"

namespace corpus {

// Disposal 2 clears to `background`; transparent pixels leave what is below. `delays` gets
// each frame's delay (0 without a graphic control block).
inline bool ComposeGiflib(const std::string& data, std::vector<QImage>& pictures,
                          QRgb background = qRgba(0, 0, 0, 0), std::vector<int>* delays = nullptr) {
  Reader r{&data, 0};
  int err = 0;
  GifFileType* gif = DGifOpen(&r, ReadFromString, &err);
  if (!gif) return false;
  const bool ok = DGifSlurp(gif) == GIF_OK;
  pictures.clear();
  if (delays) delays->clear();
  QImage canvas(gif->SWidth, gif->SHeight, QImage::Format_ARGB32);
  canvas.fill(background);
  for (int i = 0; ok && i < gif->ImageCount; ++i) {
    const SavedImage& s = gif->SavedImages[i];
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    DGifSavedExtensionToGCB(gif, i, &gcb);
    if (delays) delays->push_back(gcb.DelayTime);
    const ColorMapObject* map = s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap : gif->SColorMap;
    const QImage before = canvas.copy();
    const GifImageDesc& d = s.ImageDesc;
    for (int y = 0; y < d.Height; ++y)
      for (int x = 0; x < d.Width; ++x) {
        const int p = s.RasterBits[y * d.Width + x];
        if (p == gcb.TransparentColor || !map || p >= map->ColorCount) continue;
        if (d.Left + x < canvas.width() && d.Top + y < canvas.height())
          canvas.setPixel(d.Left + x, d.Top + y,
                          qRgb(map->Colors[p].Red, map->Colors[p].Green, map->Colors[p].Blue));
      }
    pictures.push_back(canvas.copy());
    if (gcb.DisposalMode == 2) {
      for (int y = d.Top; y < d.Top + d.Height && y < canvas.height(); ++y)
        for (int x = d.Left; x < d.Left + d.Width && x < canvas.width(); ++x)
          canvas.setPixel(x, y, background);
    } else if (gcb.DisposalMode == 3) {
      canvas = before;
    }
  }
  DGifCloseFile(gif, &err);
  return ok;
}

}  // namespace corpus
