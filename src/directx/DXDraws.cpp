#include "directx/DXDraws.h"

#include <algorithm>

#include "directx/DXConsts.h"

namespace {

template <class E>
[[noreturn]] void NotMade(const char* name) {
  throw E(dxconsts::Format(dxconsts::SNotMade, name));
}

}  // namespace

// ---- TDirectDraw ----------------------------------------------------------------------------

TDirectDraw::TDirectDraw(const GUID* guid, bool directX7Mode) {
  HRESULT r;
  if (directX7Mode) {
    r = DirectDrawCreateEx(guid, dd7_);
    if (r == DD_OK) dd_ = dd7_;
  } else {
    r = DirectDrawCreate(guid, dd_);
  }
  SetDXResult(r);
  if (r != DD_OK || !dd_)
    throw EDirectDrawError(dxconsts::Format(dxconsts::SCannotInitialized, "DirectDraw"));
  driverCaps_.dwSize = helCaps_.dwSize = 380;
  SetDXResult(dd_->GetCaps(&driverCaps_, &helCaps_));
}

TDirectDraw::~TDirectDraw() {
  while (!surfaces_.empty()) delete surfaces_.back();
  while (!palettes_.empty()) delete palettes_.back();
  while (!clippers_.empty()) delete clippers_.back();
}

IDirectDraw& TDirectDraw::CheckedInterface() const {
  if (!dd_) NotMade<EDirectDrawError>("IDirectDraw");
  return *dd_;
}

IDirectDraw& TDirectDraw::CheckedInterface7() const {
  if (!dd7_) NotMade<EDirectDrawError>("IDirectDraw7");
  return *dd7_;
}

void TDirectDraw::EnumerateDrivers(LPDDENUMCALLBACK callback, void* context) {
  DirectDrawEnumerate(callback, context);
}

// ---- Palettes and clippers ------------------------------------------------------------------

TDirectDrawPalette::TDirectDrawPalette(TDirectDraw* owner) : owner_(owner) {
  owner_->palettes_.push_back(this);
}

TDirectDrawPalette::~TDirectDrawPalette() { std::erase(owner_->palettes_, this); }

IDirectDrawPalette& TDirectDrawPalette::CheckedInterface() const {
  if (!palette_) NotMade<EDirectDrawPaletteError>("IDirectDrawPalette");
  return *palette_;
}

bool TDirectDrawPalette::CreatePalette(uint32_t caps, const TPaletteEntries& entries) {
  palette_.reset();
  IDirectDrawPalettePtr p;
  SetDXResult(owner_->CheckedInterface().CreatePalette(caps, entries.data(), p));
  if (DXResult() == DD_OK) palette_ = p;
  return DXResult() == DD_OK;
}

bool TDirectDrawPalette::SetEntries(int start, int count, const TPaletteEntry* entries) {
  if (!palette_) return false;
  SetDXResult(palette_->SetEntries(0, start, count, entries));
  return DXResult() == DD_OK;
}

bool TDirectDrawPalette::GetEntries(int start, int count, TPaletteEntry* entries) {
  if (!palette_) return false;
  SetDXResult(palette_->GetEntries(0, start, count, entries));
  return DXResult() == DD_OK;
}

TDirectDrawClipper::TDirectDrawClipper(TDirectDraw* owner) : owner_(owner) {
  SetDXResult(owner_->CheckedInterface().CreateClipper(0, clipper_));
  if (DXResult() != DD_OK || !clipper_)
    throw EDirectDrawClipperError(dxconsts::Format(dxconsts::SCannotMade, "Clipper"));
  owner_->clippers_.push_back(this);
}

TDirectDrawClipper::~TDirectDrawClipper() { std::erase(owner_->clippers_, this); }

IDirectDrawClipper& TDirectDrawClipper::CheckedInterface() const {
  if (!clipper_) NotMade<EDirectDrawClipperError>("IDirectDrawClipper");
  return *clipper_;
}

void TDirectDrawClipper::SetHandle(QWidget* window) {
  SetDXResult(CheckedInterface().SetHWnd(0, window));
}

// ---- The surface canvas ---------------------------------------------------------------------

TDirectDrawSurfaceCanvas::~TDirectDrawSurfaceCanvas() { Release(); }

QPainter& TDirectDrawSurfaceCanvas::Painter() {
  if (!dc_) {
    IDirectDrawSurface& s = surface_->CheckedInterface();
    QPainter* dc = nullptr;
    surface_->SetDXResult(s.GetDC(dc));
    if (!dc) throw EDirectDrawSurfaceError(dxconsts::SNoCanvas);
    dc_ = dc;
  }
  return *dc_;
}

void TDirectDrawSurfaceCanvas::Release() {
  if (!dc_) return;
  QPainter* dc = dc_;
  dc_ = nullptr;
  if (IDirectDrawSurface* s = surface_->Interface()) s->ReleaseDC(dc);
}

// ---- ClipRect -------------------------------------------------------------------------------

namespace {

// ClipLow raises an edge below its bound onto it, ClipHigh lowers one above; the paired edge of
// the other rectangle moves by as much.
void ClipLow(int32_t& edge, int32_t& paired, int32_t bound) {
  if (edge >= bound) return;
  paired += bound - edge;
  edge = bound;
}

void ClipHigh(int32_t& edge, int32_t& paired, int32_t bound) {
  if (edge <= bound) return;
  paired -= edge - bound;
  edge = bound;
}

}  // namespace

bool ClipRect(TRect& dest, TRect& source, const TRect& destBounds, const TRect& sourceBounds) {
  ClipLow(dest.Left, source.Left, destBounds.Left);
  ClipLow(dest.Top, source.Top, destBounds.Top);
  ClipLow(source.Left, dest.Left, sourceBounds.Left);
  ClipLow(source.Top, dest.Top, sourceBounds.Top);
  ClipHigh(dest.Right, source.Right, destBounds.Right);
  ClipHigh(dest.Bottom, source.Bottom, destBounds.Bottom);
  ClipHigh(source.Right, dest.Right, sourceBounds.Right);
  ClipHigh(source.Bottom, dest.Bottom, sourceBounds.Bottom);
  return dest.Left < dest.Right && dest.Top < dest.Bottom && source.Left < source.Right &&
         source.Top < source.Bottom;
}

// ---- TDirectDrawSurface ---------------------------------------------------------------------

TDirectDrawSurface::TDirectDrawSurface(TDirectDraw* owner) : owner_(owner) {
  owner_->surfaces_.push_back(this);
}

TDirectDrawSurface::~TDirectDrawSurface() {
  canvas_.reset();
  ReleaseInterfaces();
  std::erase(owner_->surfaces_, this);
}

void TDirectDrawSurface::ReleaseInterfaces() {
  if (canvas_) canvas_->Release();
  if (surface_)
    while (lockCount_ > 0) Unlock();
  surface_.reset();
  hasClipper_ = false;
  lockCount_ = 0;
  desc_ = DDSURFACEDESC{};
}

IDirectDrawSurface* TDirectDrawSurface::Interface7() const {
  return owner_->Interface7() ? surface_.get() : nullptr;
}

IDirectDrawSurface& TDirectDrawSurface::CheckedInterface() const {
  if (!surface_) NotMade<EDirectDrawSurfaceError>("IDirectDrawSurface");
  return *surface_;
}

IDirectDrawSurface& TDirectDrawSurface::CheckedInterface4() const {
  if (!surface_) NotMade<EDirectDrawSurfaceError>("IDirectDrawSurface4");
  return *surface_;
}

IDirectDrawSurface& TDirectDrawSurface::CheckedInterface7() const {
  if (!Interface7()) NotMade<EDirectDrawSurfaceError>("IDirectDrawSurface7");
  return *surface_;
}

void TDirectDrawSurface::SetInterface(const IDirectDrawSurfacePtr& surface) {
  if (surface == surface_) return;
  ReleaseInterfaces();
  if (!surface) return;
  surface_ = surface;
  IDirectDrawClipperPtr clipper;
  hasClipper_ = surface_->GetClipper(clipper) == DD_OK && clipper;
  surface_->GetSurfaceDesc(desc_);
}

bool TDirectDrawSurface::CreateSurface(const DDSURFACEDESC& desc) {
  ReleaseInterfaces();
  IDirectDrawSurfacePtr s;
  SetDXResult(owner_->CheckedInterface().CreateSurface(desc, s));
  if (DXResult() != DD_OK) return false;
  SetInterface(s);
  SetTransparentColor(0);
  return true;
}

void TDirectDrawSurface::SetSize(int width, int height) {
  if (width < 1 || height < 1) {
    SetInterface(nullptr);
    return;
  }
  DDSURFACEDESC d;
  d.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  d.dwWidth = uint32_t(width);
  d.dwHeight = uint32_t(height);
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (systemMemory_ ? DDSCAPS_SYSTEMMEMORY : 0);
  if (CreateSurface(d)) return;
  if (!systemMemory_) {
    d.ddsCaps.dwCaps = (d.ddsCaps.dwCaps | DDSCAPS_SYSTEMMEMORY) & ~DDSCAPS_VIDEOMEMORY;
    if (CreateSurface(d)) {
      systemMemory_ = true;
      return;
    }
  }
  throw EDirectDrawSurfaceError(dxconsts::Format(dxconsts::SCannotMade, "Surface"));
}

void TDirectDrawSurface::Assign(const TDirectDrawSurface* source) {
  if (!source) {
    SetInterface(nullptr);
    return;
  }
  if (source == this || !source->surface_) return;
  IDirectDrawSurfacePtr copy;
  SetDXResult(owner_->CheckedInterface().DuplicateSurface(source->surface_, copy));
  if (DXResult() == DD_OK) SetInterface(copy);
}

void TDirectDrawSurface::Assign(codecs::TGraphic& graphic) { LoadFromGraphic(graphic); }
void TDirectDrawSurface::Assign(TDIB& dib) { LoadFromGraphic(dib); }

void TDirectDrawSurface::AssignTo(TDIB& dib) {
  dib.PixelFormat = MakeDIBPixelFormat(8, 8, 8);
  if (!surface_ || Width() < 1 || Height() < 1) {
    dib.Clear();
    return;
  }
  if (canvas_) canvas_->Release();
  dib.Assign(surface_->Picture());
}

bool TDirectDrawSurface::Blt(const TRect& destRect, const TRect& sourceRect, uint32_t flags,
                             const DDBLTFX& fx, TDirectDrawSurface* source) {
  if (!surface_) return false;
  IDirectDrawSurface* src = source ? source->Interface() : nullptr;
  SetDXResult(CheckedInterface().Blt(&destRect, src, src ? &sourceRect : nullptr, flags, &fx));
  return DXResult() == DD_OK;
}

bool TDirectDrawSurface::BltFast(int x, int y, TDirectDrawSurface* source,
                                 const TRect& sourceRect, uint32_t flags) {
  if (!surface_) return false;
  SetDXResult(CheckedInterface().BltFast(x, y, source ? source->Interface() : nullptr,
                                         &sourceRect, flags));
  return DXResult() == DD_OK;
}

void TDirectDrawSurface::Draw(int x, int y, TDirectDrawSurface* source, bool transparent) {
  if (source) Draw(x, y, source->ClientRect(), source, transparent);
}

void TDirectDrawSurface::Draw(int x, int y, const TRect& sourceRect, TDirectDrawSurface* source,
                              bool transparent) {
  if (!source || !source->Interface() || !surface_ || x > Width() || y > Height()) return;
  const TRect bounds = ClientRect(), sourceBounds = source->ClientRect();
  DDBLTFX fx;
  uint32_t bltFlags = DDBLT_WAIT | (transparent ? DDBLT_KEYSRC : 0);

  if (sourceRect.Left <= sourceRect.Right && sourceRect.Top <= sourceRect.Bottom) {
    TRect src = sourceRect;
    TRect dest = Bounds(x, y, src.Width(), src.Height());
    if (!ClipRect(dest, src, bounds, sourceBounds)) return;
    if (hasClipper_) {
      Blt(dest, src, bltFlags, fx, source);
      return;
    }
    const uint32_t fastFlags = DDBLTFAST_WAIT | (transparent ? DDBLTFAST_SRCCOLORKEY : 0);
    if (BltFast(dest.Left, dest.Top, source, src, fastFlags)) return;
    if (DXResult() == DDERR_BLTFASTCANTCLIP) {
      IDirectDrawClipperPtr clipper;
      if (surface_->GetClipper(clipper) == DD_OK && clipper) hasClipper_ = true;
      Blt(dest, src, bltFlags, fx, source);
    }
    return;
  }

  // Mirrored: the rectangle runs right to left or bottom to top.
  const TRect whole{std::min(sourceRect.Left, sourceRect.Right),
                    std::min(sourceRect.Top, sourceRect.Bottom),
                    std::max(sourceRect.Left, sourceRect.Right),
                    std::max(sourceRect.Top, sourceRect.Bottom)};
  if (sourceRect.Left > sourceRect.Right) fx.dwDDFX |= DDBLTFX_MIRRORLEFTRIGHT;
  if (sourceRect.Top > sourceRect.Bottom) fx.dwDDFX |= DDBLTFX_MIRRORUPDOWN;
  TRect src = whole;
  TRect dest = Bounds(x, y, src.Width(), src.Height());
  if (!ClipRect(dest, src, bounds, sourceBounds)) return;
  // The clipped edge of the destination is the opposite edge of the mirrored source: mirror
  // the clipped part back within the rectangle drawn.
  if (fx.dwDDFX & DDBLTFX_MIRRORLEFTRIGHT) {
    const int left = whole.Left + (whole.Right - src.Right);
    src.Right = whole.Right - (src.Left - whole.Left);
    src.Left = left;
  }
  if (fx.dwDDFX & DDBLTFX_MIRRORUPDOWN) {
    const int top = whole.Top + (whole.Bottom - src.Bottom);
    src.Bottom = whole.Bottom - (src.Top - whole.Top);
    src.Top = top;
  }
  Blt(dest, src, bltFlags | DDBLT_DDFX, fx, source);
}

void TDirectDrawSurface::Fill(uint32_t color) {
  if (!surface_) return;
  DDBLTFX fx;
  fx.dwFillColor = color;
  SetDXResult(surface_->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx));
}

void TDirectDrawSurface::LoadFromGraphic(codecs::TGraphic& graphic) {
  LoadFromGraphicRect(graphic, 0, 0, TRect{0, 0, graphic.GetWidth(), graphic.GetHeight()});
}

void TDirectDrawSurface::LoadFromGraphicRect(codecs::TGraphic& graphic, int width, int height,
                                             const TRect& rect) {
  if (width == 0) width = rect.Width();
  if (height == 0) height = rect.Height();
  SetSize(width, height);
  if (!surface_) return;
  const QImage img = graphic.ToImage();
  QPainter& p = Canvas().Painter();
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(QRect(0, 0, width, height), img,
              QRect(rect.Left, rect.Top, rect.Width(), rect.Height()));
  Canvas().Release();
}

void TDirectDrawSurface::LoadFromDIB(TDIB& dib) { LoadFromGraphic(dib); }

void TDirectDrawSurface::LoadFromDIBRect(TDIB& dib, int width, int height, const TRect& rect) {
  LoadFromGraphicRect(dib, width, height, rect);
}

uint32_t TDirectDrawSurface::ColorMatch(TColor color) {
  if (!surface_) return 0;
  const uint32_t saved = Pixel(0, 0);
  TDIB dib;
  dib.ColorTable[0] = TRGBQuad{uint8_t(color >> 16), uint8_t(color >> 8), uint8_t(color), 0};
  dib.SetSize(1, 1, 8);
  dib.SetPixel(0, 0, 0);
  dib.Draw(Canvas().Painter(), TRect{0, 0, 1, 1});
  Canvas().Release();
  const uint32_t v = Pixel(0, 0) & surface_->ValueMask();
  SetPixel(0, 0, saved);
  return v;
}

uint32_t TDirectDrawSurface::Pixel(int x, int y) {
  if (!surface_ || x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
  DDSURFACEDESC d;
  if (!Lock(nullptr, d)) return 0;
  // Surfaces hold whole-byte pixels (8 to 32 bits), little-endian.
  const int bytes = int(d.ddpfPixelFormat.dwRGBBitCount) / 8;
  const uint8_t* p = static_cast<const uint8_t*>(d.lpSurface) + int64_t(y) * d.lPitch + x * bytes;
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint32_t(p[i]) << (8 * i);
  Unlock();
  return v;
}

void TDirectDrawSurface::SetPixel(int x, int y, uint32_t value) {
  if (!surface_ || x < 0 || y < 0 || x >= Width() || y >= Height()) return;
  DDSURFACEDESC d;
  if (!Lock(nullptr, d)) return;
  const int bytes = int(d.ddpfPixelFormat.dwRGBBitCount) / 8;
  uint8_t* p = static_cast<uint8_t*>(d.lpSurface) + int64_t(y) * d.lPitch + x * bytes;
  for (int i = 0; i < bytes; ++i) p[i] = uint8_t(value >> (8 * i));
  Unlock();
}

bool TDirectDrawSurface::Lock(const TRect* rect, DDSURFACEDESC& desc) {
  if (!surface_ || lockCount_ > 0) return false;
  const TRect* r = rect && !(*rect == ClientRect()) ? rect : nullptr;
  SetDXResult(surface_->Lock(r, lockDesc_, DDLOCK_WAIT));
  if (DXResult() != DD_OK) return false;
  lockCount_ = 1;
  desc = lockDesc_;
  return true;
}

void TDirectDrawSurface::Unlock() {
  if (!surface_ || lockCount_ < 1) return;
  if (--lockCount_ == 0) SetDXResult(surface_->Unlock(lockDesc_.lpSurface));
}

bool TDirectDrawSurface::Restore() {
  if (!surface_) return false;
  SetDXResult(surface_->Restore());
  return DXResult() == DD_OK;
}

bool TDirectDrawSurface::IsLost() { return surface_ && surface_->IsLost() != DD_OK; }

void TDirectDrawSurface::SetPalette(TDirectDrawPalette* palette) {
  SetDXResult(CheckedInterface().SetPalette(palette ? palette->InterfacePtr() : nullptr));
}

void TDirectDrawSurface::SetClipper(TDirectDrawClipper* clipper) {
  SetDXResult(CheckedInterface().SetClipper(clipper ? clipper->InterfacePtr() : nullptr));
  hasClipper_ = clipper && DXResult() == DD_OK;
}

void TDirectDrawSurface::SetColorKey(uint32_t flags, const DDCOLORKEY& key) {
  SetDXResult(CheckedInterface().SetColorKey(flags, &key));
}

void TDirectDrawSurface::SetTransparentColor(uint32_t value) {
  SetColorKey(DDCKEY_SRCBLT, DDCOLORKEY{value, value});
}

TDirectDrawSurfaceCanvas& TDirectDrawSurface::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TDirectDrawSurfaceCanvas>(this);
  return *canvas_;
}
