// Drawing a PNG picture on a canvas.
#include <QPainter>

#include "codecs/PngImage.h"

namespace pngimage {

void TPngImage::Draw(QPainter& canvas) const {
  QImage bitmap;
  CopyToBitmap(bitmap, 0, 0);
  canvas.drawImage(QPoint(0, 0), bitmap);
}

void TPngGraphic::Draw(QPainter& canvas, const QRect&) {
  if (image_) image_->Draw(canvas);
}

}  // namespace pngimage
