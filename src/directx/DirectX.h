// DirectDraw declarations: the records, flags and result codes of the DirectDraw interfaces.
//
// On Linux DirectDraw is a software DirectDraw inside the program (no library is loaded): one
// driver, the primary display (GUID nil), reporting no video memory and no 3D capability, so
// surfaces live in system memory. Surfaces are pitch-aligned pixel blocks, 32-bit XRGB (the
// display's format) unless the description asks for an 8-bit palettised, 16-bit 5-6-5 or 24-bit
// format. The result codes keep DirectDraw's numeric values. The records keep DirectDraw's
// fields but not its binary layout (pointers are 64 bits here).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "database/DXClass.h"

using HRESULT = uint32_t;

// The Windows records the DirectX layer shares.
struct TGUID {
  uint32_t D1 = 0;
  uint16_t D2 = 0, D3 = 0;
  uint8_t D4[8] = {};
  bool operator==(const TGUID&) const = default;
};
using GUID = TGUID;

struct TRect {  // RECT: right and bottom exclusive
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};
inline TRect Bounds(int x, int y, int w, int h) { return TRect{x, y, x + w, y + h}; }

// A class-library colour: 0x00BBGGRR.
using TColor = uint32_t;

struct TPoint {
  int32_t X = 0, Y = 0;
};

struct TRGBQuad {  // RGBQUAD
  uint8_t rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
  bool operator==(const TRGBQuad&) const = default;
};
struct TRGBTriple {  // RGBTRIPLE
  uint8_t rgbtBlue = 0, rgbtGreen = 0, rgbtRed = 0;
};
struct TPaletteEntry {  // PALETTEENTRY
  uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
  bool operator==(const TPaletteEntry&) const = default;
};

// Result codes (MAKE_DDHRESULT(code) = 0x88760000 + code, and the COM ones).
constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = 0x80004005;
constexpr HRESULT DDERR_UNSUPPORTED = 0x80004001;
constexpr HRESULT DDERR_OUTOFMEMORY = 0x8007000E;
constexpr HRESULT DDERR_INVALIDPARAMS = 0x80070057;
constexpr HRESULT DDERR_ALREADYINITIALIZED = 0x88760005;
constexpr HRESULT DDERR_INVALIDCAPS = 0x88760064;
constexpr HRESULT DDERR_INVALIDOBJECT = 0x88760082;
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = 0x88760091;
constexpr HRESULT DDERR_INVALIDRECT = 0x88760096;
constexpr HRESULT DDERR_NO3D = 0x887600AA;
constexpr HRESULT DDERR_NOCLIPLIST = 0x887600CD;
constexpr HRESULT DDERR_NOCOLORKEY = 0x887600D7;
constexpr HRESULT DDERR_NOTFOUND = 0x887600FF;
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = 0x8876017C;
constexpr HRESULT DDERR_SURFACEBUSY = 0x887601AE;
constexpr HRESULT DDERR_SURFACELOST = 0x887601C2;
constexpr HRESULT DDERR_WASSTILLDRAWING = 0x8876021C;
constexpr HRESULT DDERR_BLTFASTCANTCLIP = 0x8876023E;
constexpr HRESULT DDERR_NOCLIPPERATTACHED = 0x88760241;
constexpr HRESULT DDERR_NOPALETTEATTACHED = 0x88760243;
constexpr HRESULT DDERR_NOTLOCKED = 0x88760248;
constexpr HRESULT DDERR_NOTPALETTIZED = 0x8876024D;

// Surface description flags.
constexpr uint32_t DDSD_CAPS = 0x1;
constexpr uint32_t DDSD_HEIGHT = 0x2;
constexpr uint32_t DDSD_WIDTH = 0x4;
constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_BACKBUFFERCOUNT = 0x20;
constexpr uint32_t DDSD_LPSURFACE = 0x800;
constexpr uint32_t DDSD_PIXELFORMAT = 0x1000;
constexpr uint32_t DDSD_CKSRCBLT = 0x10000;

// Surface capabilities.
constexpr uint32_t DDSCAPS_BACKBUFFER = 0x4;
constexpr uint32_t DDSCAPS_COMPLEX = 0x8;
constexpr uint32_t DDSCAPS_FLIP = 0x10;
constexpr uint32_t DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr uint32_t DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr uint32_t DDSCAPS_SYSTEMMEMORY = 0x800;
constexpr uint32_t DDSCAPS_TEXTURE = 0x1000;
constexpr uint32_t DDSCAPS_3DDEVICE = 0x2000;
constexpr uint32_t DDSCAPS_VIDEOMEMORY = 0x4000;

// Pixel format flags.
constexpr uint32_t DDPF_PALETTEINDEXED8 = 0x20;
constexpr uint32_t DDPF_RGB = 0x40;

// Blt flags and effects.
constexpr uint32_t DDBLT_COLORFILL = 0x400;
constexpr uint32_t DDBLT_DDFX = 0x800;
constexpr uint32_t DDBLT_KEYSRC = 0x8000;
constexpr uint32_t DDBLT_KEYSRCOVERRIDE = 0x10000;
constexpr uint32_t DDBLT_WAIT = 0x1000000;
constexpr uint32_t DDBLTFX_MIRRORLEFTRIGHT = 0x2;
constexpr uint32_t DDBLTFX_MIRRORUPDOWN = 0x4;
constexpr uint32_t DDBLTFAST_NOCOLORKEY = 0x0;
constexpr uint32_t DDBLTFAST_SRCCOLORKEY = 0x1;
constexpr uint32_t DDBLTFAST_WAIT = 0x10;

// Colour keys, locks, palettes, cooperative levels.
constexpr uint32_t DDCKEY_SRCBLT = 0x8;
constexpr uint32_t DDLOCK_WAIT = 0x1;
constexpr uint32_t DDPCAPS_8BIT = 0x4;
constexpr uint32_t DDPCAPS_INITIALIZE = 0x8;
constexpr uint32_t DDPCAPS_PRIMARYSURFACE = 0x10;
constexpr uint32_t DDPCAPS_ALLOW256 = 0x40;
constexpr uint32_t DDSCL_FULLSCREEN = 0x1;
constexpr uint32_t DDSCL_NORMAL = 0x8;
constexpr uint32_t DDSCL_EXCLUSIVE = 0x10;

// Driver capabilities (DDCAPS.dwCaps).
constexpr uint32_t DDCAPS_3D = 0x1;
constexpr uint32_t DDCAPS_BLT = 0x40;
constexpr uint32_t DDCAPS_BLTSTRETCH = 0x200;
constexpr uint32_t DDCAPS_PALETTE = 0x8000;
constexpr uint32_t DDCAPS_COLORKEY = 0x400000;
constexpr uint32_t DDCAPS_NOHARDWARE = 0x2000000;
constexpr uint32_t DDCAPS_BLTCOLORFILL = 0x4000000;
constexpr uint32_t DDFXCAPS_BLTMIRRORLEFTRIGHT = 0x10000;
constexpr uint32_t DDFXCAPS_BLTMIRRORUPDOWN = 0x20000;

struct DDCOLORKEY {
  uint32_t dwColorSpaceLowValue = 0, dwColorSpaceHighValue = 0;
};

struct DDPIXELFORMAT {
  uint32_t dwSize = 32, dwFlags = 0, dwFourCC = 0, dwRGBBitCount = 0;
  uint32_t dwRBitMask = 0, dwGBitMask = 0, dwBBitMask = 0, dwRGBAlphaBitMask = 0;
};

struct DDSCAPS {
  uint32_t dwCaps = 0;
};

struct DDSURFACEDESC {
  uint32_t dwSize = 108, dwFlags = 0, dwHeight = 0, dwWidth = 0;
  int32_t lPitch = 0;
  uint32_t dwBackBufferCount = 0, dwRefreshRate = 0, dwAlphaBitDepth = 0;
  void* lpSurface = nullptr;
  DDCOLORKEY ddckCKDestOverlay, ddckCKDestBlt, ddckCKSrcOverlay, ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS ddsCaps;
};

struct DDCAPS {
  uint32_t dwSize = 380, dwCaps = 0, dwCaps2 = 0, dwCKeyCaps = 0, dwFXCaps = 0, dwPalCaps = 0;
  uint32_t dwVidMemTotal = 0, dwVidMemFree = 0;
  DDSCAPS ddsCaps;
};

struct DDBLTFX {
  uint32_t dwSize = 100, dwDDFX = 0, dwFillColor = 0;
  DDCOLORKEY ddckSrcColorkey;
};

// The software DirectDraw's objects (reference-counted by their shared pointers). Every
// DirectDraw interface version is the same object here.
class IDirectDraw;
class IDirectDrawSurface;
class IDirectDrawPalette;
class IDirectDrawClipper;
using IDirectDrawPtr = std::shared_ptr<IDirectDraw>;
using IDirectDrawSurfacePtr = std::shared_ptr<IDirectDrawSurface>;
using IDirectDrawPalettePtr = std::shared_ptr<IDirectDrawPalette>;
using IDirectDrawClipperPtr = std::shared_ptr<IDirectDrawClipper>;

// The entry points of "DDraw.dll", answered by the software driver.
HRESULT DirectDrawCreate(const GUID* guid, IDirectDrawPtr& dd);
HRESULT DirectDrawCreateEx(const GUID* guid, IDirectDrawPtr& dd);  // the IDirectDraw7 one
// Calls back(guid or nullptr, description, driver name, context) for each driver while it
// answers true; the software DirectDraw lists the primary display only.
using LPDDENUMCALLBACK = bool (*)(const GUID* guid, const std::string& description,
                                  const std::string& driverName, void* context);
HRESULT DirectDrawEnumerate(LPDDENUMCALLBACK callback, void* context);

class EDirectXError : public DXClass::EDXError {
 public:
  using DXClass::EDXError::EDXError;
};
