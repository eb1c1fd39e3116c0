// Owning wrappers of the DirectDraw object, palettes, clippers and surfaces, on the software
// DirectDraw (DirectX.h, SoftwareDraw.h). Each keeps the last DirectDraw result code.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "directx/DIB.h"
#include "directx/DirectX.h"
#include "directx/SoftwareDraw.h"

class QWidget;

class EDirectDrawError : public EDirectXError {
 public:
  using EDirectXError::EDirectXError;
};
class EDirectDrawPaletteError : public EDirectDrawError {
 public:
  using EDirectDrawError::EDirectDrawError;
};
class EDirectDrawClipperError : public EDirectDrawError {
 public:
  using EDirectDrawError::EDirectDrawError;
};
class EDirectDrawSurfaceError : public EDirectDrawError {
 public:
  using EDirectDrawError::EDirectDrawError;
};

class TDirectDrawClipper;
class TDirectDrawPalette;
class TDirectDrawSurface;

class TDirectDraw : public TDirectX {
 public:
  // guid nullptr: the primary display. Raises EDirectDrawError "DirectDraw cannot be
  // initialized" when the driver cannot be created.
  explicit TDirectDraw(const GUID* guid = nullptr, bool directX7Mode = false);
  // Frees every surface, then every palette, then every clipper (each from its last).
  ~TDirectDraw() override;
  TDirectDraw(const TDirectDraw&) = delete;
  TDirectDraw& operator=(const TDirectDraw&) = delete;

  // The interfaces (all the same software object; Interface7 is null unless in DirectX 7
  // mode). The checked ones raise "IDirectDraw not made" / "IDirectDraw7 not made".
  IDirectDraw* Interface() const { return dd_.get(); }
  IDirectDraw* Interface4() const { return dd_.get(); }
  IDirectDraw* Interface7() const { return dd7_.get(); }
  IDirectDraw& CheckedInterface() const;
  IDirectDraw& CheckedInterface7() const;
  const IDirectDrawPtr& InterfacePtr() const { return dd_; }

  const DDCAPS& DriverCaps() const { return driverCaps_; }
  const DDCAPS& HELCaps() const { return helCaps_; }
  int ClipperCount() const { return static_cast<int>(clippers_.size()); }
  int PaletteCount() const { return static_cast<int>(palettes_.size()); }
  int SurfaceCount() const { return static_cast<int>(surfaces_.size()); }
  TDirectDrawClipper* Clipper(int i) const { return clippers_[static_cast<size_t>(i)]; }
  TDirectDrawPalette* Palette(int i) const { return palettes_[static_cast<size_t>(i)]; }
  TDirectDrawSurface* Surface(int i) const { return surfaces_[static_cast<size_t>(i)]; }

  // Lists the display drivers (the software DirectDraw has one: the primary display).
  static void EnumerateDrivers(LPDDENUMCALLBACK callback, void* context);

 private:
  friend class TDirectDrawClipper;
  friend class TDirectDrawPalette;
  friend class TDirectDrawSurface;
  IDirectDrawPtr dd_, dd7_;
  DDCAPS driverCaps_, helCaps_;
  std::vector<TDirectDrawClipper*> clippers_;
  std::vector<TDirectDrawPalette*> palettes_;
  std::vector<TDirectDrawSurface*> surfaces_;
};

class TDirectDrawPalette : public TDirectX {
 public:
  explicit TDirectDrawPalette(TDirectDraw* owner);
  ~TDirectDrawPalette() override;
  TDirectDraw* DDraw() const { return owner_; }
  IDirectDrawPalette* Interface() const { return palette_.get(); }
  IDirectDrawPalette& CheckedInterface() const;  // "IDirectDrawPalette not made"
  const IDirectDrawPalettePtr& InterfacePtr() const { return palette_; }
  // Releases the current palette and creates one with the caps and 256 entries.
  bool CreatePalette(uint32_t caps, const TPaletteEntries& entries);
  bool SetEntries(int start, int count, const TPaletteEntry* entries);
  bool GetEntries(int start, int count, TPaletteEntry* entries);

 private:
  TDirectDraw* owner_;
  IDirectDrawPalettePtr palette_;
};

class TDirectDrawClipper : public TDirectX {
 public:
  // Raises EDirectDrawClipperError "Clipper cannot be made".
  explicit TDirectDrawClipper(TDirectDraw* owner);
  ~TDirectDrawClipper() override;
  TDirectDraw* DDraw() const { return owner_; }
  IDirectDrawClipper* Interface() const { return clipper_.get(); }
  IDirectDrawClipper& CheckedInterface() const;  // "IDirectDrawClipper not made"
  const IDirectDrawClipperPtr& InterfacePtr() const { return clipper_; }
  void SetHandle(QWidget* window);

 private:
  TDirectDraw* owner_;
  IDirectDrawClipperPtr clipper_;
};

// A canvas on a surface's device context (a QPainter from GetDC).
class TDirectDrawSurfaceCanvas {
 public:
  explicit TDirectDrawSurfaceCanvas(TDirectDrawSurface* surface) : surface_(surface) {}
  ~TDirectDrawSurfaceCanvas();
  // Obtains the device context when there is none (GetDC).
  QPainter& Painter();
  bool HandleAllocated() const { return dc_ != nullptr; }
  // Gives the device context back (ReleaseDC).
  void Release();

 private:
  TDirectDrawSurface* surface_;
  QPainter* dc_ = nullptr;
};

// Clips a blit: moves both rectangles' edges alike until the destination lies inside
// destBounds and the source inside sourceBounds; true when both keep a positive size.
bool ClipRect(TRect& dest, TRect& source, const TRect& destBounds, const TRect& sourceBounds);

class TDirectDrawSurface : public TDirectX {
 public:
  explicit TDirectDrawSurface(TDirectDraw* owner);
  ~TDirectDrawSurface() override;
  TDirectDrawSurface(const TDirectDrawSurface&) = delete;
  TDirectDrawSurface& operator=(const TDirectDrawSurface&) = delete;

  TDirectDraw* DDraw() const { return owner_; }
  IDirectDrawSurface* Interface() const { return surface_.get(); }
  IDirectDrawSurface* Interface4() const { return surface_.get(); }
  IDirectDrawSurface* Interface7() const;  // null unless the owner has IDirectDraw7
  // Raise EDirectDrawSurfaceError "IDirectDrawSurface not made" (4, 7 likewise).
  IDirectDrawSurface& CheckedInterface() const;
  IDirectDrawSurface& CheckedInterface4() const;
  IDirectDrawSurface& CheckedInterface7() const;
  const IDirectDrawSurfacePtr& InterfacePtr() const { return surface_; }
  // Takes a surface interface (nullptr releases the surface).
  void SetInterface(const IDirectDrawSurfacePtr& surface);

  bool CreateSurface(const DDSURFACEDESC& desc);
  // Off-screen plain surface; retries in system memory. Raises "Surface cannot be made".
  void SetSize(int width, int height);
  int Width() const { return static_cast<int>(desc_.dwWidth); }
  int Height() const { return static_cast<int>(desc_.dwHeight); }
  TRect ClientRect() const { return TRect{0, 0, Width(), Height()}; }
  const DDSURFACEDESC& SurfaceDesc() const { return desc_; }
  bool SystemMemory() const { return systemMemory_; }
  void SetSystemMemory(bool v) { systemMemory_ = v; }
  int BitCount() const { return static_cast<int>(desc_.ddpfPixelFormat.dwRGBBitCount); }

  // nullptr releases; another surface is duplicated.
  void Assign(const TDirectDrawSurface* source);
  void Assign(codecs::TGraphic& graphic);
  void Assign(TDIB& dib);
  // The DIB becomes width x height at 24 bits with the surface's picture.
  void AssignTo(TDIB& dib);

  bool Blt(const TRect& destRect, const TRect& sourceRect, uint32_t flags, const DDBLTFX& fx,
           TDirectDrawSurface* source);
  bool BltFast(int x, int y, TDirectDrawSurface* source, const TRect& sourceRect,
               uint32_t flags);
  // Draws source's rectangle at (x, y), clipped; a rectangle with left > right or
  // top > bottom is drawn mirrored.
  void Draw(int x, int y, const TRect& sourceRect, TDirectDrawSurface* source,
            bool transparent);
  void Draw(int x, int y, TDirectDrawSurface* source, bool transparent);
  void Fill(uint32_t color);
  void LoadFromGraphic(codecs::TGraphic& graphic);
  void LoadFromGraphicRect(codecs::TGraphic& graphic, int width, int height, const TRect& rect);
  void LoadFromDIB(TDIB& dib);
  void LoadFromDIBRect(TDIB& dib, int width, int height, const TRect& rect);
  // The surface's pixel value for a class-library colour.
  uint32_t ColorMatch(TColor color);
  uint32_t Pixel(int x, int y);
  void SetPixel(int x, int y, uint32_t value);

  bool Lock(const TRect* rect, DDSURFACEDESC& desc);
  void Unlock();
  bool Restore();
  bool IsLost();

  void SetPalette(TDirectDrawPalette* palette);
  void SetClipper(TDirectDrawClipper* clipper);
  bool HasClipper() const { return hasClipper_; }
  void SetColorKey(uint32_t flags, const DDCOLORKEY& key);
  void SetTransparentColor(uint32_t value);

  TDirectDrawSurfaceCanvas& Canvas();

 private:
  void ReleaseInterfaces();
  std::unique_ptr<TDirectDrawSurfaceCanvas> canvas_;
  bool hasClipper_ = false;
  TDirectDraw* owner_;
  IDirectDrawSurfacePtr surface_;
  bool systemMemory_ = false;
  DDSURFACEDESC desc_;
  DDSURFACEDESC lockDesc_;
  int lockCount_ = 0;
};
