// Drawing a GIF image: frame rendering (direct or through the web palette), the palette
// rules, drawing on a canvas and starting painters, turning other pictures into frames, the
// clipboard, and the size and palette setters.
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScreen>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "codecs/ColorReduction.h"
#include "codecs/GIFImage.h"
#include "codecs/GIFPainter.h"

namespace gif {

namespace {

std::atomic<int> displayDepth{0};

const char* const kGifMime = "image/gif";

// Opaque copy of a frame bitmap: the transparent entry shows its colour.
QImage Opaque(const QImage& bitmap) {
  if (bitmap.format() != QImage::Format_Indexed8) return bitmap;
  QVector<QRgb> table = bitmap.colorTable();
  bool any = false;
  for (QRgb& c : table)
    if (qAlpha(c) != 255) {
      c = qRgb(qRed(c), qGreen(c), qBlue(c));
      any = true;
    }
  if (!any) return bitmap;
  QImage copy = bitmap;
  copy.setColorTable(table);
  return copy;
}

void DrawTiled(QPainter& canvas, const QRect& rect, const QImage& image) {
  if (image.isNull()) return;
  canvas.save();
  canvas.setClipRect(rect, Qt::IntersectClip);
  for (int y = rect.top(); y <= rect.bottom(); y += image.height())
    for (int x = rect.left(); x <= rect.right(); x += image.width())
      canvas.drawImage(QPoint(x, y), image);
  canvas.restore();
}

}  // namespace

int DisplayDepth() {
  if (const int d = displayDepth.load()) return d;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    if (QScreen* s = QGuiApplication::primaryScreen()) return s->depth();
  return 24;
}

void SetDisplayDepth(int bits) { displayDepth.store(bits); }

// ---- Colour maps ----

void TGIFColorMap::ImportPalette(const QVector<QRgb>& palette) {
  Clear();
  const int n = int(std::min<qsizetype>(palette.size(), 256));
  Grow(n);
  for (int i = 0; i < n; ++i) {
    const QRgb c = palette[i];
    colors_[size_t(i)] = {uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c))};
  }
  count_ = n;
  Changed();
}

void TGIFColorMap::ImportRGBQuads(const uint8_t* quads, int count) {
  Clear();
  const int n = std::clamp(count, 0, 256);
  Grow(n);
  for (int i = 0; i < n; ++i)
    colors_[size_t(i)] = {quads[i * 4 + 2], quads[i * 4 + 1], quads[i * 4]};
  count_ = n;
  Changed();
}

void TGIFGlobalColorMap::Changed() { image_->ReleasePalette(); }

// ---- Frame rendering ----

const QImage& TGIFSubImage::GetBitmap() {
  if (!bitmap_.isNull() || Empty()) return bitmap_;
  Render(image_ && image_->DoDither());
  return bitmap_;
}

void TGIFSubImage::DiscardBitmap() {
  bitmap_ = QImage();
  mask_ = QImage();
  needMask_ = true;
}

void TGIFSubImage::Render(bool paletted) {
  if (image_) image_->ReportProgress(0, 0, false, "Rendering...");
  QImage img(Width, Height, QImage::Format_Indexed8);
  if (img.isNull()) throw GIFException("Failed to allocate memory for GIF DIB");
  const int ti = TransparentIndex();
  const bool makeMask = ti >= 0 && needMask_ && mask_.isNull();
  QImage mask;
  if (makeMask) {
    mask = QImage(Width, Height, QImage::Format_Mono);
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mask.fill(0);
  }
  bool anyMasked = false;
  const QVector<QRgb> colors = ColorTable();
  std::unique_ptr<TNetscapeColorLookup> lookup;
  std::unique_ptr<TFloydSteinbergDitherer> dither;
  if (paletted) {
    // The web palette, and one entry for the transparent pixels (the mask decides them).
    QVector<QRgb> table = WebPalette();
    table.push_back(ti >= 0 ? colors[ti] : qRgba(0, 0, 0, 0));
    img.setColorTable(table);
    lookup = std::make_unique<TNetscapeColorLookup>();
    dither = std::make_unique<TFloydSteinbergDitherer>(Width, *lookup);
  } else {
    img.setColorTable(colors);
  }
  for (int y = 0; y < Height; ++y) {
    const uint8_t* src = pixels_.data() + size_t(y) * Width;
    uchar* dst = img.scanLine(y);
    if (!paletted) {
      std::memcpy(dst, src, size_t(Width));
    } else {
      for (int x = dither->Column(); x >= 0 && x < Width; x = dither->Column()) {
        if (src[x] == ti) {
          dst[x] = 216;
          dither->Skip();
        } else {
          const QRgb c = colors[src[x]];
          dst[x] = dither->Dither(qRed(c), qGreen(c), qBlue(c)).Index;
        }
      }
      dither->NextLine();
    }
    if (makeMask) {
      uchar* m = mask.scanLine(y);
      for (int x = 0; x < Width; ++x)
        if (src[x] == ti) {
          m[x >> 3] |= uchar(0x80 >> (x & 7));
          anyMasked = true;
        }
    }
    if (image_ && (y & 31) == 31)
      image_->ReportProgress(1, int(int64_t(y) * 100 / Height), false, "Rendering...");
  }
  if (makeMask) {
    if (anyMasked) mask_ = std::move(mask);
    needMask_ = false;
  }
  bitmap_ = std::move(img);
  if (image_) image_->ReportProgress(2, 100, false, "Rendering...");
}

// ---- Palettes ----

QVector<QRgb> TGIFSubImage::GetPalette() {
  if (!bitmap_.isNull() && bitmap_.colorCount() > 0) return bitmap_.colorTable();
  if (palette_) return *palette_;
  if (image_ && image_->DoDither()) return WebPalette();
  if (ColorMap.Count() > 0) return ColorMap.Palette();
  // Asked by the image's own palette rule: the image has none to give.
  if (image_ && !image_->PaletteBusy()) return image_->GetPalette();
  return {};
}

void TGIFSubImage::SetPalette(const QVector<QRgb>& palette) { palette_ = palette; }

bool TGIFImage::DoDither() const {
  return (DrawOptions & goDither) && (!(DrawOptions & goAutoDither) || PaletteDevice());
}

QVector<QRgb> TGIFImage::GetPalette() {
  if (paletteBusy_) throw GIFException("No global or local color table defined");
  const QScopedValueRollback<bool> busy(paletteBusy_, true);
  if (bitmap_ && bitmap_->colorCount() > 0) return bitmap_->colorTable();
  if (palette_) return *palette_;
  if (DoDither())
    palette_ = WebPalette();
  else if (Header.ColorMap.Count() > 0)
    palette_ = Header.ColorMap.Palette();
  else if (!frames_.empty())
    palette_ = frames_[0]->GetPalette();
  else
    return {};
  return *palette_;
}

void TGIFImage::SetPalette(const QVector<QRgb>& palette) {
  palette_ = palette;
  if (bitmap_ && bitmap_->colorTable() != palette) {
    StopDraw();
    Changed();
  }
}

// ---- Drawing ----

QRect TGIFSubImage::ScaledRect(const QRect& rect) const {
  const int64_t iw = image_ && image_->GetWidth() > 0 ? image_->GetWidth() : Width;
  const int64_t ih = image_ && image_->GetHeight() > 0 ? image_->GetHeight() : Height;
  if (iw == 0 || ih == 0) return rect;
  const int left = rect.left() + int(Left * int64_t(rect.width()) / iw);
  const int top = rect.top() + int(Top * int64_t(rect.height()) / ih);
  const int right = rect.left() + int((Left + Width) * int64_t(rect.width()) / iw);
  const int bottom = rect.top() + int((Top + Height) * int64_t(rect.height()) / ih);
  return QRect(left, top, right - left, bottom - top);
}

void TGIFSubImage::Draw(QPainter& canvas, const QRect& rect, bool transparent, bool tile) {
  const QRect r = tile ? rect : ScaledRect(rect);
  const QImage& bitmap = GetBitmap();
  if (bitmap.isNull() || r.isEmpty()) return;
  if (transparent && HasMask())
    canvas.drawImage(r, bitmap);
  else
    canvas.drawImage(r, Opaque(bitmap));
}

void TGIFImage::Changed() {
  if (OnChange) OnChange(this);
}

int TGIFImage::PainterCount() {
  std::lock_guard<std::recursive_mutex> lock(painterLock_);
  return int(painters_.size());
}

void TGIFImage::ReapPainters() {
  std::vector<TGIFPainter*> ended;
  {
    std::lock_guard<std::recursive_mutex> lock(painterLock_);
    ended.swap(ended_);
  }
  for (TGIFPainter* p : ended) {
    p->wait();
    delete p;
  }
}

void TGIFImage::Draw(QPainter& canvas, const QRect& rect) {
  if (drawing_ || frames_.empty()) return;
  const QScopedValueRollback<bool> busy(drawing_, true);
  ReapPainters();
  const bool transparent = DrawOptions & goTransparent, tile = DrawOptions & goTile;
  auto drawBitmap = [&] {
    if (!bitmap_) return;
    if (tile)
      DrawTiled(canvas, rect, *bitmap_);
    else
      canvas.drawImage(rect, *bitmap_);
  };
  if (Count() == 1 || !(DrawOptions & goAnimate)) {
    frames_[0]->Draw(canvas, rect, transparent, tile);
    return;
  }
  if (bitmap_ && !(DrawOptions & goDirectDraw)) {
    drawBitmap();
    return;
  }
  TGIFPainter* painter = nullptr;
  {
    std::lock_guard<std::recursive_mutex> lock(painterLock_);
    if (painter_ && painter_->Paints(&canvas, rect)) return;
    if (painter_) {
      painter_->Stop();
      painter_ = nullptr;
    }
    if (rect.isEmpty()) return;
    QImage* target = nullptr;
    if (!(DrawOptions & goDirectDraw)) {
      // The image's bitmap takes what the canvas shows there.
      auto bmp = std::make_unique<QImage>(rect.size(), QImage::Format_ARGB32_Premultiplied);
      bmp->fill(Qt::transparent);
      if (canvas.device() && canvas.device()->devType() == QInternal::Image) {
        QPainter p(bmp.get());
        p.drawImage(QPoint(0, 0), *static_cast<QImage*>(canvas.device()), rect);
      }
      bitmap_ = std::move(bmp);
      target = bitmap_.get();
    }
    painter = new TGIFPainter(this, &canvas, target, rect, DrawOptions, AnimationSpeed);
    painters_.push_back(painter);
    painter_ = painter;
    painter->OnStartPaint = OnStartPaint;
    painter->OnPaint = OnPaint;
    painter->OnAfterPaint = OnAfterPaint;
    painter->OnLoop = OnLoop;
    painter->OnEndPaint = OnEndPaint;
    if (painter->Threaded()) painter->start(QThread::Priority(std::min<int>(ThreadPriority, 6)));
  }
  if (!painter->Threaded()) {
    painter->Execute();
    delete painter;
    return;
  }
  if (!(DrawOptions & goDirectDraw)) {
    // Until the first frame is there, letting the painter's calls to this thread through.
    while (!painter->FirstFrameDrawn() && !painter->Ended()) {
      if (QCoreApplication::instance()) QCoreApplication::processEvents();
      QThread::yieldCurrentThread();
    }
    drawBitmap();
  }
}

void TGIFImage::StopDraw() {
  for (;;) {
    // A painter on another thread may still draw into the bitmap: wait until it has left
    // (unless it waits for this thread, in one of its events: it stops once that returns).
    bool elsewhere = false;
    {
      std::lock_guard<std::recursive_mutex> lock(painterLock_);
      for (TGIFPainter* p : painters_) {
        p->Stop();
        elsewhere = elsewhere || (p->RunsElsewhere() && !p->WaitsForCaller());
      }
    }
    if (!elsewhere) break;
    // A painter may be waiting for this thread to draw its frame.
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
    QThread::yieldCurrentThread();
  }
  ReapPainters();
  bitmap_.reset();
}

// ---- Conversion ----

void TGIFSubImage::SetBounds(int left, int top, int width, int height) {
  // The frame and the screen holding it stay within 16 bits.
  if (left < 0 || top < 0 || width < 0 || height < 0 || left + width > 65535 ||
      top + height > 65535 || uint64_t(width) * uint64_t(height) > MaxPixels)
    throw GIFException("Invalid image dimensions");
  // The pixels keep their place; new ones are transparent (or colour 0).
  if (!pixels_.empty() && (width != Width || height != Height)) {
    std::vector<uint8_t> resized(size_t(width) * size_t(height),
                                 uint8_t(std::max(TransparentIndex(), 0)));
    const int w = std::min<int>(width, Width);
    for (int y = 0; y < std::min<int>(height, Height); ++y)
      std::copy_n(pixels_.begin() + ptrdiff_t(y) * Width, w, resized.begin() + ptrdiff_t(y) * width);
    pixels_ = std::move(resized);
    DiscardBitmap();
  }
  Left = uint16_t(left);
  Top = uint16_t(top);
  Width = uint16_t(width);
  Height = uint16_t(height);
  if (!image_) return;
  bool warned = false;
  if (left + width > image_->Header.Width) {
    if (image_->Header.Width != 0) {
      Warning(gsWarning, "Image width too small for contained frames");
      warned = true;
    }
    image_->Header.Width = uint16_t(left + width);
  }
  if (top + height > image_->Header.Height) {
    if (image_->Header.Height != 0) {
      Warning(gsWarning, "Image height too small for contained frames");
      warned = true;
    }
    image_->Header.Height = uint16_t(top + height);
  }
  if (warned) Warning(gsWarning, "Image exceeds Logical Screen size");
}

void TGIFSubImage::Assign(const TGIFSubImage& source) {
  if (&source == this) return;
  Clear();
  Separator = source.Separator;
  Left = source.Left;
  Top = source.Top;
  Width = source.Width;
  Height = source.Height;
  Packed = source.Packed;
  pixels_ = source.pixels_;
  codeSize_ = source.codeSize_;
  ColorMap.Assign(source.ColorMap);
  std::string extensions;
  for (const auto& e : source.Extensions) e->SaveToStream(extensions);
  TByteReader in(extensions.data(), extensions.size());
  LoadExtensions(in);
  Transparent = source.Transparent;
  if (!source.bitmap_.isNull()) {
    bitmap_ = source.bitmap_;
    mask_ = source.mask_;
    needMask_ = source.needMask_;
  }
}

void TGIFSubImage::AssignBits(const TBitmapBits& b) {
  Clear();
  ColorMap.Clear();
  if (b.Width <= 0 || b.Height <= 0 || !b.Bits) return;
  if (uint64_t(b.Width) * uint64_t(b.Height) > MaxPixels || b.Width > 65535 || b.Height > 65535)
    throw GIFException("Invalid image dimensions");
  SetBounds(0, 0, b.Width, b.Height);
  pixels_.assign(size_t(b.Width) * b.Height, 0);
  const int quads = int(b.ColorQuads.size() / 4);
  if (b.BitCount != 24) ColorMap.ImportRGBQuads(b.ColorQuads.data(), std::min(quads, 1 << b.BitCount));
  // The last 8 colours met, for the 24-bit rows.
  std::array<std::pair<uint32_t, uint8_t>, 8> ring;
  ring.fill({0xFFFFFFFF, 0});
  size_t ringNext = 0;
  if (image_) image_->ReportProgress(0, 0, false, "Converting...");
  for (int y = 0; y < b.Height; ++y) {
    const uint8_t* row = b.Bits + size_t(y) * b.Stride;
    uint8_t* dst = pixels_.data() + size_t(y) * b.Width;
    switch (b.BitCount) {
      case 1:
        for (int x = 0; x < b.Width; ++x) dst[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
        break;
      case 4:
        for (int x = 0; x < b.Width; ++x) dst[x] = (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        break;
      case 8:
        std::memcpy(dst, row, size_t(b.Width));
        break;
      case 24:
        for (int x = 0; x < b.Width; ++x) {
          const uint8_t* p = row + x * 3;
          const uint32_t key = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
          auto hit = std::find_if(ring.begin(), ring.end(), [key](auto& e) { return e.first == key; });
          if (hit != ring.end()) {
            dst[x] = hit->second;
            continue;
          }
          const int index = ColorMap.AddUnique(TGIFColor{p[2], p[1], p[0]});
          ring[ringNext] = {key, uint8_t(index)};
          ringNext = (ringNext + 1) % ring.size();
          dst[x] = uint8_t(index);
        }
        break;
      default:
        throw GIFException("Unsupported PixelFormat");
    }
    if (image_ && (y & 31) == 31)
      image_->ReportProgress(1, int(int64_t(y) * 100 / b.Height), false, "Converting...");
  }
  if (image_) image_->ReportProgress(2, 100, false, "Converting...");
}

void TGIFSubImage::Assign(const QImage& bitmap) {
  if (bitmap.isNull()) {
    Clear();
    return;
  }
  if (bitmap.hasAlphaChannel()) {
    AssignGraphic(bitmap);
    return;
  }
  auto quadsOf = [](const QVector<QRgb>& table) {
    std::vector<uint8_t> q;
    for (QRgb c : table) q.insert(q.end(), {uint8_t(qBlue(c)), uint8_t(qGreen(c)), uint8_t(qRed(c)), 0});
    return q;
  };
  TBitmapBits b;
  QImage source;
  if (bitmap.format() == QImage::Format_Mono || bitmap.format() == QImage::Format_MonoLSB) {
    source = bitmap.convertToFormat(QImage::Format_Mono);
    b.BitCount = 1;
    b.ColorQuads = quadsOf(source.colorCount() ? source.colorTable()
                                               : QVector<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)});
  } else if (bitmap.format() == QImage::Format_Indexed8) {
    source = bitmap;
    b.BitCount = 8;
    b.ColorQuads = quadsOf(source.colorTable());
  } else {
    const int method = image_ ? int(image_->ColorReduction) : int(rmNetscape);
    source = ReduceColors(bitmap, method, image_ ? image_->DitherMode : 0, {},
                          image_ ? image_->ReductionBits : 8);
    if (source.format() == QImage::Format_Indexed8) {
      b.BitCount = 8;
      b.ColorQuads = quadsOf(source.colorTable());
    } else {
      source = source.convertToFormat(QImage::Format_BGR888);
      b.BitCount = 24;
    }
  }
  b.Width = source.width();
  b.Height = source.height();
  b.Bits = source.constBits();
  b.Stride = size_t(source.bytesPerLine());
  AssignBits(b);
}

void TGIFSubImage::AssignGraphic(const QImage& picture) {
  const int width = picture.width(), height = picture.height();
  if (width <= 0 || height <= 0) {
    Clear();
    return;
  }
  QImage white(width, height, QImage::Format_RGB32), black(width, height, QImage::Format_RGB32);
  white.fill(Qt::white);
  black.fill(Qt::black);
  {
    QPainter p(&white);
    p.drawImage(QPoint(0, 0), picture);
  }
  {
    QPainter p(&black);
    p.drawImage(QPoint(0, 0), picture);
  }
  Assign(white);
  std::vector<uint8_t> mask(size_t(width) * height);
  for (int y = 0; y < height; ++y) {
    const QRgb* w = reinterpret_cast<const QRgb*>(white.constScanLine(y));
    const QRgb* k = reinterpret_cast<const QRgb*>(black.constScanLine(y));
    for (int x = 0; x < width; ++x) mask[size_t(y) * width + x] = ((w[x] ^ k[x]) & 0xFFFFFF) != 0;
  }
  TransparencyFromMask(mask);
}

void TGIFSubImage::Assign(const QIcon& icon) {
  const QList<QSize> sizes = icon.availableSizes();
  QSize size = sizes.isEmpty() ? QSize(32, 32) : sizes.front();
  for (const QSize& s : sizes)
    if (s.width() * s.height() > size.width() * size.height()) size = s;
  const QImage picture = icon.pixmap(size).toImage();
  AssignGraphic(picture);
}

void TGIFSubImage::TransparencyFromMask(const std::vector<uint8_t>& mask) {
  ColorMap.Optimize();
  if (ColorMap.Count() == 0) return;
  const size_t n = std::min(pixels_.size(), mask.size());
  int index;
  if (ColorMap.Count() < 256) {
    index = ColorMap.Add(TGIFColor{});
  } else if (std::none_of(mask.begin(), mask.begin() + ptrdiff_t(n), [](uint8_t m) { return m; })) {
    return;
  } else {
    // A full table gives up the colour least used outside the mask to transparency: its
    // opaque pixels take the nearest other colour.
    std::vector<int> uses(256, 0);
    for (size_t i = 0; i < n; ++i)
      if (!mask[i]) ++uses[pixels_[i]];
    index = int(std::min_element(uses.begin(), uses.end()) - uses.begin());
    if (uses[size_t(index)] > 0) {
      const TGIFColor c = ColorMap.Data()[index];
      int nearest = index == 0 ? 1 : 0, best = 1 << 30;
      for (int k = 0; k < 256; ++k) {
        const TGIFColor o = ColorMap.Data()[k];
        const int d = (o.Red - c.Red) * (o.Red - c.Red) + (o.Green - c.Green) * (o.Green - c.Green) +
                      (o.Blue - c.Blue) * (o.Blue - c.Blue);
        if (k != index && d < best) {
          best = d;
          nearest = k;
        }
      }
      for (size_t i = 0; i < n; ++i)
        if (!mask[i] && pixels_[i] == index) pixels_[i] = uint8_t(nearest);
    }
  }
  bool any = false;
  for (size_t i = 0; i < pixels_.size() && i < mask.size(); ++i)
    if (mask[i]) {
      pixels_[i] = uint8_t(index);
      any = true;
    }
  if (!any) {
    ColorMap.Delete(index);
    return;
  }
  auto g = std::make_unique<TGIFGraphicControlExtension>(this);
  g->TransparentColorIndex = uint8_t(index);
  g->SetTransparent(true);
  Extensions.push_back(std::move(g));
  DiscardBitmap();
}

void TGIFSubImage::AssignTo(QImage& bitmap) { bitmap = GetBitmap(); }

void TGIFImage::Assign(const TGIFImage* source) {
  if (source == this) return;
  if (!source) {
    Clear();
    Changed();
    return;
  }
  Clear();
  OnProgress = source->OnProgress;
  OnWarning = source->OnWarning;
  Progress(0, 0, false, "Copying...");
  Header.Assign(source->Header);
  ThreadPriority = source->ThreadPriority;
  DrawBackgroundColor = source->DrawBackgroundColor;
  DrawOptions = source->DrawOptions;
  ColorReduction = source->ColorReduction;
  DitherMode = source->DitherMode;
  for (size_t i = 0; i < source->frames_.size(); ++i) {
    frames_.push_back(std::make_unique<TGIFSubImage>(this));
    frames_.back()->Assign(*source->frames_[i]);
    Progress(1, int((i + 1) * 100 / source->frames_.size()), false, "Copying...");
  }
  Progress(2, 100, false, "Copying...");
  Changed();
}

// The frame list changes only once no painter reads it.
void TGIFImage::Add(std::unique_ptr<TGIFSubImage> frame) {
  StopDraw();
  frames_.push_back(std::move(frame));
  Changed();
}

void TGIFImage::Delete(int i) {
  StopDraw();
  frames_.erase(frames_.begin() + i);
}

TGIFSubImage& TGIFImage::Add(const QImage& bitmap) {
  StopDraw();
  frames_.push_back(std::make_unique<TGIFSubImage>(this));
  TGIFSubImage& f = *frames_.back();
  try {
    f.Assign(bitmap);
  } catch (...) {
    frames_.pop_back();
    throw;
  }
  Changed();
  return f;
}

void TGIFImage::Assign(const QImage& bitmap) {
  Clear();
  Add(bitmap);
}

void TGIFImage::Assign(const QIcon& icon) {
  Clear();
  frames_.push_back(std::make_unique<TGIFSubImage>(this));
  frames_.back()->Assign(icon);
  Changed();
}

void TGIFImage::Assign(const codecs::TGraphic& graphic) {
  if (auto* g = dynamic_cast<const TGIFImage*>(&graphic)) return Assign(g);
  const QImage picture = const_cast<codecs::TGraphic&>(graphic).ToImage();
  Clear();
  frames_.push_back(std::make_unique<TGIFSubImage>(this));
  frames_.back()->AssignGraphic(picture);
  Changed();
}

void TGIFImage::AssignTo(QImage& bitmap) {
  const QImage* b = GetBitmap();
  bitmap = b ? *b : QImage();
}

// ---- Clipboard ----

void TGIFImage::SaveToClipboardFormat() {
  if (GetEmpty()) return;
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  QClipboard* clipboard = app ? QGuiApplication::clipboard() : nullptr;
  if (!clipboard) throw GIFException("Failed to store GIF on clipboard");
  std::string data;
  SaveToStream(data);
  auto* mime = new QMimeData;
  mime->setImageData(*GetBitmap());
  mime->setData(kGifMime, QByteArray(data.data(), qsizetype(data.size())));
  clipboard->setMimeData(mime);
  const QMimeData* held = clipboard->mimeData();
  if (!held || !held->hasFormat(kGifMime)) throw GIFException("Failed to store GIF on clipboard");
}

void TGIFImage::LoadFromClipboardFormat() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  const QMimeData* mime = app && QGuiApplication::clipboard() ? QGuiApplication::clipboard()->mimeData()
                                                              : nullptr;
  if (mime && mime->hasFormat(kGifMime)) {
    LoadFromData(mime->data(kGifMime).toStdString());
  } else if (mime && mime->hasImage()) {
    Assign(qvariant_cast<QImage>(mime->imageData()));
  } else {
    throw GIFException("Unsupported clipboard format");
  }
}

// ---- Size ----

void TGIFImage::SetWidth(int width) {
  for (const auto& f : frames_)
    if (f->Left + f->Width > width) throw GIFException("Image width too small for contained frames");
  Header.Width = uint16_t(std::clamp(width, 0, 65535));
  StopDraw();  // frees the bitmap once no painter draws into it
  Changed();
}

void TGIFImage::SetHeight(int height) {
  for (const auto& f : frames_)
    if (f->Top + f->Height > height)
      throw GIFException("Image height too small for contained frames");
  Header.Height = uint16_t(std::clamp(height, 0, 65535));
  StopDraw();
  Changed();
}

}  // namespace gif
