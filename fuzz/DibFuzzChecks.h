// What the DIB fuzz target (and its regression test) require of any input: a clean read or
// a clean refusal, and a picture read holds together.
#pragma once
#include <QBuffer>
#include <QByteArray>

#include <string_view>

#include "directx/DIB.h"

namespace fuzzchecks {

inline bool CheckDib(std::string_view data) {
  QByteArray bytes = QByteArray::fromRawData(data.data(), qsizetype(data.size()));
  QBuffer in(&bytes);
  in.open(QIODevice::ReadOnly);
  TDIB dib;
  try {
    dib.LoadFromStream(in);
    const QImage img = dib.ToImage();
    if (img.width() != dib.Width() || img.height() != dib.Height()) return false;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    dib.SaveToStream(out);
  } catch (const EInvalidGraphic&) {
  } catch (const EInvalidGraphicOperation&) {
  } catch (const EOutOfResources&) {
  }
  return true;
}

}  // namespace fuzzchecks
