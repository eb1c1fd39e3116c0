#include "directx/SoftwareDraw.h"

#include "directx/DIB.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <new>

#ifdef __SSE2__
#include <immintrin.h>
#endif

namespace {

TRect Intersect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}
bool Inside(const TRect& r, const TRect& bounds) {
  return r.Left >= bounds.Left && r.Top >= bounds.Top && r.Right <= bounds.Right &&
         r.Bottom <= bounds.Bottom && r.Left < r.Right && r.Top < r.Bottom;
}

inline uint32_t Load(const uint8_t* p, int bytes) {
  switch (bytes) {
    case 1: return p[0];
    case 2: return uint32_t(p[0]) | (uint32_t(p[1]) << 8);
    case 3: return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    default: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}
inline void Store(uint8_t* p, int bytes, uint32_t v) {
  switch (bytes) {
    case 1: p[0] = uint8_t(v); break;
    case 2: p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); break;
    case 3: p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); break;
    default: std::memcpy(p, &v, 4);
  }
}

#if defined(__x86_64__) && defined(__GNUC__)
#define VELMORA_HAVE_AVX2_ROW 1
// The keyed row with AVX2.
__attribute__((target("avx2"))) void KeyedRow32Avx2(uint32_t* __restrict d,
                                                    const uint32_t* __restrict s, int n,
                                                    uint32_t mask, uint32_t key) {
  int i = 0;
  const __m256i m = _mm256_set1_epi32(int(mask)), k = _mm256_set1_epi32(int(key));
  for (; i + 8 <= n; i += 8) {
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i isKey = _mm256_cmpeq_epi32(_mm256_and_si256(sv, m), k);
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_blendv_epi8(sv, dv, isKey));
  }
  for (; i < n; ++i)
    if ((s[i] & mask) != key) d[i] = s[i];
}
#endif

// One row of a keyed 32-bit blit without scaling: the hot path of sprite drawing.
void KeyedRow32(uint32_t* __restrict d, const uint32_t* __restrict s, int n, uint32_t mask,
                uint32_t key) {
#ifdef VELMORA_HAVE_AVX2_ROW
  static const bool avx2 = __builtin_cpu_supports("avx2");
  if (avx2) {
    KeyedRow32Avx2(d, s, n, mask, key);
    return;
  }
#endif
  int i = 0;
#ifdef __SSE2__
  const __m128i m = _mm_set1_epi32(int(mask)), k = _mm_set1_epi32(int(key));
  for (; i + 4 <= n; i += 4) {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i keep = _mm_cmpeq_epi32(_mm_and_si128(sv, m), k);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                     _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, sv)));
  }
#endif
  for (; i < n; ++i)
    if ((s[i] & mask) != key) d[i] = s[i];
}

QImage::Format ViewFormat(int bitCount) {
  switch (bitCount) {
    case 32: return QImage::Format_RGB32;
    case 24: return QImage::Format_BGR888;
    case 16: return QImage::Format_RGB16;
    default: return QImage::Format_Invalid;
  }
}

}  // namespace

// ---- Palettes and clippers ------------------------------------------------------------------

IDirectDrawPalette::IDirectDrawPalette(uint32_t caps, const TPaletteEntry* entries) : caps_(caps) {
  if (entries) SetEntries(0, 0, 256, entries);
}

HRESULT IDirectDrawPalette::GetEntries(uint32_t, int start, int count, TPaletteEntry* out) const {
  if (start < 0 || count < 0 || start + count > 256 || !out) return DDERR_INVALIDPARAMS;
  std::copy(entries_.begin() + start, entries_.begin() + start + count, out);
  return DD_OK;
}

HRESULT IDirectDrawPalette::SetEntries(uint32_t, int start, int count,
                                       const TPaletteEntry* entries) {
  if (start < 0 || count < 0 || start + count > 256 || !entries) return DDERR_INVALIDPARAMS;
  for (int i = 0; i < count; ++i) {
    const TPaletteEntry& e = entries[i];
    entries_[size_t(start + i)] = e;
    colors_[size_t(start + i)] = (uint32_t(e.peRed) << 16) | (uint32_t(e.peGreen) << 8) | e.peBlue;
  }
  return DD_OK;
}

HRESULT IDirectDrawPalette::GetCaps(uint32_t& caps) const {
  caps = caps_;
  return DD_OK;
}

HRESULT IDirectDrawClipper::SetHWnd(uint32_t, QWidget* window) {
  window_ = window;
  hasWindow_ = window != nullptr;
  return DD_OK;
}

HRESULT IDirectDrawClipper::GetHWnd(QWidget*& window) const {
  window = window_.data();
  return DD_OK;
}

HRESULT IDirectDrawClipper::SetClipList(const QRegion& region) {
  list_ = region;
  hasList_ = true;
  return DD_OK;
}

HRESULT IDirectDrawClipper::GetClipList(QRegion& region) const {
  if (hasWindow_) {
    // A window that has gone or is hidden shows nothing.
    region = window_ && window_->isVisible() ? window_->visibleRegion() : QRegion();
    return DD_OK;
  }
  if (!hasList_) return DDERR_NOCLIPLIST;
  region = list_;
  return DD_OK;
}

// ---- Surfaces -------------------------------------------------------------------------------

IDirectDrawSurface::IDirectDrawSurface(IDirectDraw* owner, const DDSURFACEDESC& desc)
    : owner_(owner), desc_(desc) {
  width_ = int(desc.dwWidth);
  height_ = int(desc.dwHeight);
  bitCount_ = (desc.dwFlags & DDSD_PIXELFORMAT) ? int(desc.ddpfPixelFormat.dwRGBBitCount) : 32;
  pitch_ = (width_ * (bitCount_ / 8) + 3) & ~3;
  bits_.assign(size_t(pitch_) * size_t(height_), 0);
  desc_.dwSize = 108;
  desc_.dwFlags |= DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc_.lPitch = pitch_;
  desc_.lpSurface = nullptr;
  desc_.ddsCaps.dwCaps = (desc_.ddsCaps.dwCaps & ~DDSCAPS_VIDEOMEMORY) | DDSCAPS_SYSTEMMEMORY;
  DDPIXELFORMAT& pf = desc_.ddpfPixelFormat;
  pf = DDPIXELFORMAT{};
  pf.dwRGBBitCount = uint32_t(bitCount_);
  if (bitCount_ == 8) {
    pf.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  } else {
    pf.dwFlags = DDPF_RGB;
    pf.dwRBitMask = bitCount_ == 16 ? 0xF800 : 0xFF0000;
    pf.dwGBitMask = bitCount_ == 16 ? 0x7E0 : 0xFF00;
    pf.dwBBitMask = bitCount_ == 16 ? 0x1F : 0xFF;
  }
  depthAtCreation_ = IDirectDraw::DisplayDepth();
}

IDirectDrawSurface::~IDirectDrawSurface() {
  dc_.reset();
  if (owner_) std::erase(owner_->surfaces_, this);
}

uint32_t IDirectDrawSurface::ValueMask() const {
  switch (bitCount_) {
    case 8: return 0xFF;
    case 16: return 0xFFFF;
    default: return 0xFFFFFF;
  }
}

HRESULT IDirectDrawSurface::IsLost() const {
  if (!lost_ && depthAtCreation_ != IDirectDraw::DisplayDepth())
    const_cast<IDirectDrawSurface*>(this)->lost_ = true;
  return lost_ ? DDERR_SURFACELOST : DD_OK;
}

HRESULT IDirectDrawSurface::Restore() {
  if (!owner_) return DDERR_SURFACELOST;
  depthAtCreation_ = IDirectDraw::DisplayDepth();
  lost_ = false;
  return DD_OK;
}

HRESULT IDirectDrawSurface::Usable() const {
  if (IsLost() != DD_OK) return DDERR_SURFACELOST;
  if (lockCount_ > 0 || dc_) return DDERR_SURFACEBUSY;
  return DD_OK;
}

HRESULT IDirectDrawSurface::Blt(const TRect* destRect, IDirectDrawSurface* source,
                                const TRect* sourceRect, uint32_t flags, const DDBLTFX* fx) {
  if (HRESULT r = Usable()) return r;
  const TRect bounds{0, 0, width_, height_};
  const TRect dest = destRect ? *destRect : bounds;
  if (dest.Left >= dest.Right || dest.Top >= dest.Bottom) return DDERR_INVALIDRECT;
  // The areas to write: the destination within the clipper's region, else within bounds.
  std::vector<TRect> areas;
  if (clipper_) {
    QRegion region;
    if (HRESULT r = clipper_->GetClipList(region)) return r;
    for (const QRect& q : region) {
      const TRect a = Intersect(Intersect(dest, TRect{q.left(), q.top(), q.right() + 1,
                                                      q.bottom() + 1}), bounds);
      if (a.Width() > 0 && a.Height() > 0) areas.push_back(a);
    }
  } else {
    if (!Inside(dest, bounds)) return DDERR_INVALIDRECT;
    areas.push_back(dest);
  }
  const int bytes = bitCount_ / 8;

  if (flags & DDBLT_COLORFILL) {
    if (!fx) return DDERR_INVALIDPARAMS;
    for (const TRect& a : areas)
      for (int y = a.Top; y < a.Bottom; ++y) {
        uint8_t* d = bits_.data() + size_t(y) * size_t(pitch_) + size_t(a.Left) * size_t(bytes);
        if (bytes == 4) std::fill_n(reinterpret_cast<uint32_t*>(d), a.Width(), fx->dwFillColor);
        else
          for (int x = 0; x < a.Width(); ++x, d += bytes) Store(d, bytes, fx->dwFillColor);
      }
    return DD_OK;
  }

  if (!source) return DDERR_INVALIDPARAMS;
  if (source != this)
    if (HRESULT r = source->Usable()) return r;
  if (source->bitCount_ != bitCount_) return DDERR_INVALIDPIXELFORMAT;
  const TRect src = sourceRect ? *sourceRect : TRect{0, 0, source->width_, source->height_};
  if (!Inside(src, TRect{0, 0, source->width_, source->height_})) return DDERR_INVALIDRECT;

  bool keyed = false;
  DDCOLORKEY key;
  if (flags & DDBLT_KEYSRCOVERRIDE) {
    if (!fx) return DDERR_INVALIDPARAMS;
    keyed = true;
    key = fx->ddckSrcColorkey;
  } else if ((flags & DDBLT_KEYSRC) && source->hasSrcKey_) {
    keyed = true;
    key = source->srcKey_;
  }
  const uint32_t fxFlags = (flags & DDBLT_DDFX) && fx ? fx->dwDDFX : 0;
  const bool mirrorX = fxFlags & DDBLTFX_MIRRORLEFTRIGHT, mirrorY = fxFlags & DDBLTFX_MIRRORUPDOWN;
  const uint32_t mask = ValueMask();
  const uint32_t lo = key.dwColorSpaceLowValue & mask;
  const uint32_t hi = std::max(key.dwColorSpaceHighValue & mask, lo);

  // Overlapping blits within one surface read from a copy.
  std::vector<uint8_t> copy;
  const uint8_t* srcBits = source->bits_.data();
  if (source == this) {
    copy = bits_;
    srcBits = copy.data();
  }
  const int sw = src.Width(), sh = src.Height(), dw = dest.Width(), dh = dest.Height();
  const bool unscaled = sw == dw && sh == dh && !mirrorX;
  std::vector<int> xmap;
  for (const TRect& a : areas) {
    if (!unscaled) {
      xmap.resize(size_t(a.Width()));
      for (int x = a.Left; x < a.Right; ++x) {
        int sx = int(int64_t(x - dest.Left) * sw / dw);
        if (mirrorX) sx = sw - 1 - sx;
        xmap[size_t(x - a.Left)] = src.Left + sx;
      }
    }
    for (int y = a.Top; y < a.Bottom; ++y) {
      int sy = int(int64_t(y - dest.Top) * sh / dh);
      if (mirrorY) sy = sh - 1 - sy;
      sy += src.Top;
      uint8_t* d = bits_.data() + size_t(y) * size_t(pitch_) + size_t(a.Left) * size_t(bytes);
      const uint8_t* s = srcBits + size_t(sy) * size_t(source->pitch_);
      if (unscaled) {
        const uint8_t* sp = s + size_t(src.Left + (a.Left - dest.Left)) * size_t(bytes);
        if (!keyed) {
          std::memcpy(d, sp, size_t(a.Width()) * size_t(bytes));
        } else if (bytes == 4 && lo == hi) {
          KeyedRow32(reinterpret_cast<uint32_t*>(d), reinterpret_cast<const uint32_t*>(sp),
                     a.Width(), mask, lo);
        } else {
          for (int x = 0; x < a.Width(); ++x, d += bytes, sp += bytes) {
            const uint32_t v = Load(sp, bytes), k = v & mask;
            if (k < lo || k > hi) Store(d, bytes, v);
          }
        }
      } else {
        for (int x = 0; x < a.Width(); ++x, d += bytes) {
          const uint32_t v = Load(s + size_t(xmap[size_t(x)]) * size_t(bytes), bytes);
          const uint32_t k = v & mask;
          if (!keyed || k < lo || k > hi) Store(d, bytes, v);
        }
      }
    }
  }
  return DD_OK;
}

HRESULT IDirectDrawSurface::BltFast(int x, int y, IDirectDrawSurface* source,
                                    const TRect* sourceRect, uint32_t trans) {
  if (!source) return DDERR_INVALIDPARAMS;
  if (clipper_) return DDERR_BLTFASTCANTCLIP;
  const TRect src = sourceRect ? *sourceRect : TRect{0, 0, source->width_, source->height_};
  const TRect dest = Bounds(x, y, src.Width(), src.Height());
  if (!Inside(dest, TRect{0, 0, width_, height_})) return DDERR_INVALIDRECT;
  return Blt(&dest, source, &src, (trans & DDBLTFAST_SRCCOLORKEY) ? DDBLT_KEYSRC : 0, nullptr);
}

HRESULT IDirectDrawSurface::Lock(const TRect* rect, DDSURFACEDESC& desc, uint32_t) {
  if (IsLost() != DD_OK) return DDERR_SURFACELOST;
  if (dc_) return DDERR_SURFACEBUSY;
  size_t offset = 0;
  if (rect) {
    if (!Inside(*rect, TRect{0, 0, width_, height_})) return DDERR_INVALIDRECT;
    offset = size_t(rect->Top) * size_t(pitch_) + size_t(rect->Left) * size_t(bitCount_ / 8);
  }
  ++lockCount_;
  desc = desc_;
  desc.dwFlags |= DDSD_LPSURFACE;
  desc.lpSurface = bits_.data() + offset;
  return DD_OK;
}

HRESULT IDirectDrawSurface::Unlock(void*) {
  if (lockCount_ < 1) return DDERR_NOTLOCKED;
  --lockCount_;
  return DD_OK;
}

QImage IDirectDrawSurface::View() {
  const QImage::Format f = ViewFormat(bitCount_);
  if (f == QImage::Format_Invalid || width_ < 1 || height_ < 1) return QImage();
  return QImage(bits_.data(), width_, height_, pitch_, f);
}

QImage IDirectDrawSurface::Picture() {
  if (bitCount_ != 8) return View().convertToFormat(QImage::Format_RGB32);
  QImage img(width_, height_, QImage::Format_RGB32);
  const std::array<uint32_t, 256> none{};
  const auto& colors = palette_ ? palette_->Colors() : none;
  for (int y = 0; y < height_; ++y) {
    QRgb* d = reinterpret_cast<QRgb*>(img.scanLine(y));
    const uint8_t* s = bits_.data() + size_t(y) * size_t(pitch_);
    for (int x = 0; x < width_; ++x) d[x] = 0xFF000000u | colors[s[x]];
  }
  return img;
}

HRESULT IDirectDrawSurface::GetDC(QPainter*& dc) {
  dc = nullptr;
  if (HRESULT r = Usable()) return r;
  // 8 bits paint on a true-colour copy that ReleaseDC maps back to the palette.
  dcShadow_ = bitCount_ == 8 ? Picture() : View();
  if (dcShadow_.isNull()) return DDERR_GENERIC;
  dc_ = std::make_unique<QPainter>(&dcShadow_);
  dc = dc_.get();
  return DD_OK;
}

HRESULT IDirectDrawSurface::ReleaseDC(QPainter* dc) {
  if (!dc_ || dc != dc_.get()) return DDERR_INVALIDPARAMS;
  dc_->end();
  dc_.reset();
  if (bitCount_ == 8) {
    const std::array<uint32_t, 256> none{};
    const auto& colors = palette_ ? palette_->Colors() : none;
    TColorIndexer indexer(colors.data(), 256);
    for (int y = 0; y < height_; ++y) {
      const QRgb* s = reinterpret_cast<const QRgb*>(dcShadow_.constScanLine(y));
      uint8_t* d = bits_.data() + size_t(y) * size_t(pitch_);
      for (int x = 0; x < width_; ++x) d[x] = uint8_t(indexer.Index(s[x] & 0xFFFFFF));
    }
  }
  dcShadow_ = QImage();
  return DD_OK;
}

HRESULT IDirectDrawSurface::SetColorKey(uint32_t flags, const DDCOLORKEY* key) {
  if (!(flags & DDCKEY_SRCBLT)) return DDERR_UNSUPPORTED;
  hasSrcKey_ = key != nullptr;
  if (key) srcKey_ = *key;
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetColorKey(uint32_t flags, DDCOLORKEY& key) const {
  if (!(flags & DDCKEY_SRCBLT) || !hasSrcKey_) return DDERR_NOCOLORKEY;
  key = srcKey_;
  return DD_OK;
}

HRESULT IDirectDrawSurface::SetPalette(const IDirectDrawPalettePtr& palette) {
  if (palette && bitCount_ != 8) return DDERR_NOTPALETTIZED;
  palette_ = palette;
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetPalette(IDirectDrawPalettePtr& palette) const {
  palette = palette_;
  return palette_ ? DD_OK : DDERR_NOPALETTEATTACHED;
}

HRESULT IDirectDrawSurface::SetClipper(const IDirectDrawClipperPtr& clipper) {
  clipper_ = clipper;
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetClipper(IDirectDrawClipperPtr& clipper) const {
  clipper = clipper_;
  return clipper_ ? DD_OK : DDERR_NOCLIPPERATTACHED;
}

HRESULT IDirectDrawSurface::GetSurfaceDesc(DDSURFACEDESC& desc) const {
  desc = desc_;
  return DD_OK;
}

// ---- The DirectDraw object ------------------------------------------------------------------

// Loses the surfaces when a screen goes away.
class IDirectDraw::ScreenWatch : public QObject {
 public:
  explicit ScreenWatch(IDirectDraw* dd) {
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
      connect(app, &QGuiApplication::screenRemoved, this, [dd](QScreen*) { dd->LoseSurfaces(); });
  }
};

IDirectDraw::IDirectDraw(bool version7)
    : version7_(version7), watch_(std::make_unique<ScreenWatch>(this)) {}

IDirectDraw::~IDirectDraw() {
  for (IDirectDrawSurface* s : surfaces_) s->owner_ = nullptr;
}

int IDirectDraw::DisplayDepth() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 0;
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->depth() : 0;
}

HRESULT IDirectDraw::GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) const {
  DDCAPS caps;
  caps.dwCaps = DDCAPS_BLT | DDCAPS_BLTSTRETCH | DDCAPS_BLTCOLORFILL | DDCAPS_COLORKEY |
                DDCAPS_PALETTE | DDCAPS_NOHARDWARE;
  caps.dwFXCaps = DDFXCAPS_BLTMIRRORLEFTRIGHT | DDFXCAPS_BLTMIRRORUPDOWN;
  caps.dwCKeyCaps = DDCKEY_SRCBLT;
  caps.dwPalCaps = DDPCAPS_8BIT | DDPCAPS_ALLOW256;
  caps.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PRIMARYSURFACE | DDSCAPS_SYSTEMMEMORY;
  if (driverCaps) *driverCaps = caps;
  if (emulationCaps) *emulationCaps = caps;
  return DD_OK;
}

HRESULT IDirectDraw::CreateSurface(const DDSURFACEDESC& desc, IDirectDrawSurfacePtr& surface) {
  surface.reset();
  DDSURFACEDESC d = desc;
  const uint32_t caps = (desc.dwFlags & DDSD_CAPS) ? desc.ddsCaps.dwCaps : 0;
  if (caps & DDSCAPS_PRIMARYSURFACE) {
    QScreen* s = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                     ? QGuiApplication::primaryScreen()
                     : nullptr;
    d.dwWidth = s ? uint32_t(s->size().width()) : 640;
    d.dwHeight = s ? uint32_t(s->size().height()) : 480;
  } else {
    if (!(desc.dwFlags & DDSD_WIDTH) || !(desc.dwFlags & DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    if (!(caps & DDSCAPS_SYSTEMMEMORY) || (caps & DDSCAPS_VIDEOMEMORY))
      return DDERR_OUTOFVIDEOMEMORY;
  }
  if (d.dwWidth < 1 || d.dwHeight < 1 || d.dwWidth > 32768 || d.dwHeight > 32768 ||
      uint64_t(d.dwWidth) * d.dwHeight > (uint64_t(1) << 28))
    return DDERR_INVALIDPARAMS;
  if (desc.dwFlags & DDSD_PIXELFORMAT) {
    const uint32_t bits = desc.ddpfPixelFormat.dwRGBBitCount;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return DDERR_INVALIDPIXELFORMAT;
  }
  try {
    surface = std::make_shared<IDirectDrawSurface>(this, d);
  } catch (const std::bad_alloc&) {
    return DDERR_OUTOFMEMORY;
  }
  surfaces_.push_back(surface.get());
  return DD_OK;
}

HRESULT IDirectDraw::CreatePalette(uint32_t caps, const TPaletteEntry* entries,
                                   IDirectDrawPalettePtr& palette) {
  palette = std::make_shared<IDirectDrawPalette>(caps, entries);
  return DD_OK;
}

HRESULT IDirectDraw::CreateClipper(uint32_t, IDirectDrawClipperPtr& clipper) {
  clipper = std::make_shared<IDirectDrawClipper>();
  return DD_OK;
}

HRESULT IDirectDraw::DuplicateSurface(const IDirectDrawSurfacePtr& source,
                                      IDirectDrawSurfacePtr& copy) {
  copy.reset();
  if (!source) return DDERR_INVALIDPARAMS;
  if (source->IsLost() != DD_OK) return DDERR_SURFACELOST;
  DDSURFACEDESC d = source->desc_;
  d.ddsCaps.dwCaps &= ~DDSCAPS_PRIMARYSURFACE;
  try {
    copy = std::make_shared<IDirectDrawSurface>(this, d);
  } catch (const std::bad_alloc&) {
    return DDERR_OUTOFMEMORY;
  }
  copy->bits_ = source->bits_;
  copy->palette_ = source->palette_;
  copy->hasSrcKey_ = source->hasSrcKey_;
  copy->srcKey_ = source->srcKey_;
  surfaces_.push_back(copy.get());
  return DD_OK;
}

HRESULT IDirectDraw::SetCooperativeLevel(QWidget*, uint32_t) { return DD_OK; }

HRESULT IDirectDraw::GetDisplayMode(DDSURFACEDESC& desc) const {
  desc = DDSURFACEDESC{};
  QScreen* s = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                   ? QGuiApplication::primaryScreen()
                   : nullptr;
  desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_PITCH;
  desc.dwWidth = s ? uint32_t(s->size().width()) : 640;
  desc.dwHeight = s ? uint32_t(s->size().height()) : 480;
  desc.lPitch = int32_t(desc.dwWidth * 4);
  desc.ddpfPixelFormat.dwFlags = DDPF_RGB;
  desc.ddpfPixelFormat.dwRGBBitCount = 32;
  desc.ddpfPixelFormat.dwRBitMask = 0xFF0000;
  desc.ddpfPixelFormat.dwGBitMask = 0xFF00;
  desc.ddpfPixelFormat.dwBBitMask = 0xFF;
  return DD_OK;
}

HRESULT IDirectDraw::RestoreAllSurfaces() {
  for (IDirectDrawSurface* s : surfaces_) s->Restore();
  return DD_OK;
}

void IDirectDraw::LoseSurfaces() {
  for (IDirectDrawSurface* s : surfaces_) s->Lose();
}

// ---- The entry points -----------------------------------------------------------------------

namespace {
bool KnownDriver(const GUID* guid) { return !guid || *guid == GUID{}; }
}  // namespace

HRESULT DirectDrawCreate(const GUID* guid, IDirectDrawPtr& dd) {
  dd.reset();
  if (!KnownDriver(guid)) return DDERR_INVALIDPARAMS;
  dd = std::make_shared<IDirectDraw>(false);
  return DD_OK;
}

HRESULT DirectDrawCreateEx(const GUID* guid, IDirectDrawPtr& dd) {
  dd.reset();
  if (!KnownDriver(guid)) return DDERR_INVALIDPARAMS;
  dd = std::make_shared<IDirectDraw>(true);
  return DD_OK;
}

HRESULT DirectDrawEnumerate(LPDDENUMCALLBACK callback, void* context) {
  if (!callback) return DDERR_INVALIDPARAMS;
  callback(nullptr, "Primary Display Driver", "display", context);
  return DD_OK;
}
