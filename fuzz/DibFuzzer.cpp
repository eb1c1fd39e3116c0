// libFuzzer target: the DIB graphic's BMP reader over any bytes.
#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "directx/DIB.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool limited = (TDIB::MaxPixels = uint64_t(1) << 22, true);
  (void)limited;
  QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  QBuffer in(&bytes);
  in.open(QIODevice::ReadOnly);
  TDIB dib;
  try {
    dib.LoadFromStream(in);
    // A picture read holds together: it draws at its size and writes back.
    const QImage img = dib.ToImage();
    if (img.width() != dib.Width() || img.height() != dib.Height()) __builtin_trap();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    dib.SaveToStream(out);
  } catch (const EInvalidGraphic&) {
  } catch (const EInvalidGraphicOperation&) {
  } catch (const EOutOfResources&) {
  }
  return 0;
}
