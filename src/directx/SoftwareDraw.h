// The software DirectDraw: the driver object, surfaces, palettes and clippers behind the
// DirectDraw interfaces (see DirectX.h for the platform decision).
#pragma once
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QRegion>

#include <array>
#include <memory>
#include <vector>

#include "directx/DirectX.h"

class QWidget;

class IDirectDrawPalette {
 public:
  explicit IDirectDrawPalette(uint32_t caps, const TPaletteEntry* entries);
  HRESULT GetEntries(uint32_t flags, int start, int count, TPaletteEntry* out) const;
  HRESULT SetEntries(uint32_t flags, int start, int count, const TPaletteEntry* entries);
  HRESULT GetCaps(uint32_t& caps) const;
  const std::array<TPaletteEntry, 256>& Entries() const { return entries_; }
  // Pixel value (0x00RRGGBB) of each entry.
  const std::array<uint32_t, 256>& Colors() const { return colors_; }

 private:
  uint32_t caps_;
  std::array<TPaletteEntry, 256> entries_{};
  std::array<uint32_t, 256> colors_{};
};

class IDirectDrawClipper {
 public:
  // Binds the clipper to a window: blits clip to the widget's visible rectangle (in the
  // widget's own coordinates, which are the coordinates of the surface it shows).
  HRESULT SetHWnd(uint32_t flags, QWidget* window);
  HRESULT GetHWnd(QWidget*& window) const;
  HRESULT SetClipList(const QRegion& region);
  // The region blits are clipped to; DDERR_NOCLIPLIST without a window or list.
  HRESULT GetClipList(QRegion& region) const;

 private:
  QPointer<QWidget> window_;
  bool hasWindow_ = false;
  QRegion list_;
  bool hasList_ = false;
};

class IDirectDrawSurface {
 public:
  // A pixel block of width x height in the format's bit count (8, 16, 24 or 32).
  IDirectDrawSurface(IDirectDraw* owner, const DDSURFACEDESC& desc);
  ~IDirectDrawSurface();

  HRESULT Blt(const TRect* destRect, IDirectDrawSurface* source, const TRect* sourceRect,
              uint32_t flags, const DDBLTFX* fx);
  // No clipping: DDERR_BLTFASTCANTCLIP with a clipper attached, DDERR_INVALIDRECT outside.
  HRESULT BltFast(int x, int y, IDirectDrawSurface* source, const TRect* sourceRect,
                  uint32_t trans);
  HRESULT Lock(const TRect* rect, DDSURFACEDESC& desc, uint32_t flags);
  HRESULT Unlock(void* bits);
  // A QPainter canvas on the pixels; 8-bit surfaces paint on a true-colour copy mapped back
  // to the palette by ReleaseDC.
  HRESULT GetDC(QPainter*& dc);
  HRESULT ReleaseDC(QPainter* dc);
  HRESULT IsLost() const;
  HRESULT Restore();
  HRESULT SetColorKey(uint32_t flags, const DDCOLORKEY* key);
  HRESULT GetColorKey(uint32_t flags, DDCOLORKEY& key) const;
  HRESULT SetPalette(const IDirectDrawPalettePtr& palette);
  HRESULT GetPalette(IDirectDrawPalettePtr& palette) const;
  HRESULT SetClipper(const IDirectDrawClipperPtr& clipper);
  HRESULT GetClipper(IDirectDrawClipperPtr& clipper) const;
  HRESULT GetSurfaceDesc(DDSURFACEDESC& desc) const;

  // Marks the surface lost (the screen changed); Restore brings it back.
  void Lose() { lost_ = true; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitCount() const { return bitCount_; }
  int Pitch() const { return pitch_; }
  uint8_t* Bits() { return bits_.data(); }
  // The pixels as a QImage over the memory (null for 8 bits).
  QImage View();
  // The pixels as a 32-bit picture (8-bit ones through the palette, black without one).
  QImage Picture();
  // Pixel value mask of the format (colour keys compare under it).
  uint32_t ValueMask() const;

 private:
  friend class IDirectDraw;
  HRESULT Usable() const;
  IDirectDraw* owner_;
  DDSURFACEDESC desc_;
  int width_, height_, bitCount_, pitch_;
  std::vector<uint8_t> bits_;
  bool lost_ = false;
  int lockCount_ = 0;
  bool hasSrcKey_ = false;
  DDCOLORKEY srcKey_;
  IDirectDrawPalettePtr palette_;
  IDirectDrawClipperPtr clipper_;
  std::unique_ptr<QPainter> dc_;
  QImage dcShadow_;
  int depthAtCreation_ = 0;
};

class IDirectDraw {
 public:
  explicit IDirectDraw(bool version7);
  ~IDirectDraw();
  bool Version7() const { return version7_; }
  HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) const;
  // There is no video memory: a surface other than the primary one that does not ask for
  // system memory fails with DDERR_OUTOFVIDEOMEMORY.
  HRESULT CreateSurface(const DDSURFACEDESC& desc, IDirectDrawSurfacePtr& surface);
  HRESULT CreatePalette(uint32_t caps, const TPaletteEntry* entries,
                        IDirectDrawPalettePtr& palette);
  HRESULT CreateClipper(uint32_t flags, IDirectDrawClipperPtr& clipper);
  HRESULT DuplicateSurface(const IDirectDrawSurfacePtr& source, IDirectDrawSurfacePtr& copy);
  HRESULT SetCooperativeLevel(QWidget* window, uint32_t flags);
  // The primary display's mode (32-bit unless the screen says otherwise).
  HRESULT GetDisplayMode(DDSURFACEDESC& desc) const;
  HRESULT RestoreAllSurfaces();

  // Loses every surface of this object, as a change of the screen does (also a test seam).
  void LoseSurfaces();
  // Depth of the display now (0 without a screen).
  static int DisplayDepth();

 private:
  friend class IDirectDrawSurface;
  bool version7_;
  std::vector<IDirectDrawSurface*> surfaces_;
  class ScreenWatch;
  std::unique_ptr<ScreenWatch> watch_;
};
