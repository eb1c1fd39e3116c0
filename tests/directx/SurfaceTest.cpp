#include <gtest/gtest.h>

#include <QWidget>

#include "directx/DXDraws.h"

namespace {

// A surface of w x h whose pixels are a pattern of (seed, x, y), with some pixels of `key`.
void Paint(TDirectDrawSurface& s, int w, int h, uint32_t seed, uint32_t key) {
  s.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      s.SetPixel(x, y, (x + y) % 5 == 0 ? key : ((seed * 977 + uint32_t(x) * 131 + uint32_t(y) * 7919) & 0xFFFFFF));
}

}  // namespace

TEST(Surface, ClipRect) {
  struct Case {
    TRect dest, src, destBounds, srcBounds;
    bool ok;
    TRect wantDest, wantSrc;
  };
  const TRect b{0, 0, 100, 80}, sb{0, 0, 20, 10};
  const Case cases[] = {
      {{10, 10, 30, 20}, {0, 0, 20, 10}, b, sb, true, {10, 10, 30, 20}, {0, 0, 20, 10}},
      {{-5, 10, 15, 20}, {0, 0, 20, 10}, b, sb, true, {0, 10, 15, 20}, {5, 0, 20, 10}},
      {{90, 75, 110, 85}, {0, 0, 20, 10}, b, sb, true, {90, 75, 100, 80}, {0, 0, 10, 5}},
      {{10, 10, 30, 20}, {-3, -2, 17, 8}, b, sb, true, {13, 12, 30, 20}, {0, 0, 17, 8}},
      {{-30, 0, -10, 10}, {0, 0, 20, 10}, b, sb, false, {}, {}},
      {{100, 0, 120, 10}, {0, 0, 20, 10}, b, sb, false, {}, {}},
  };
  for (const Case& c : cases) {
    TRect d = c.dest, s = c.src;
    EXPECT_EQ(ClipRect(d, s, c.destBounds, c.srcBounds), c.ok);
    if (c.ok) {
      EXPECT_EQ(d, c.wantDest);
      EXPECT_EQ(s, c.wantSrc);
    }
  }
}

TEST(Surface, DirectDrawObjects) {
  std::vector<std::string> drivers;
  TDirectDraw::EnumerateDrivers(
      [](const GUID* g, const std::string& d, const std::string&, void* ctx) {
        EXPECT_EQ(g, nullptr);
        static_cast<std::vector<std::string>*>(ctx)->push_back(d);
        return true;
      },
      &drivers);
  EXPECT_EQ(drivers.size(), 1u);
  GUID other;
  other.D1 = 5;
  EXPECT_THROW(TDirectDraw{&other}, EDirectDrawError);

  auto* dd = new TDirectDraw(nullptr, false);
  EXPECT_EQ(dd->DriverCaps().dwCaps & DDCAPS_3D, 0u);
  EXPECT_EQ(dd->DriverCaps().dwVidMemTotal, 0u);
  EXPECT_EQ(dd->Interface7(), nullptr);
  EXPECT_THROW(dd->CheckedInterface7(), EDirectDrawError);
  auto* s = new TDirectDrawSurface(dd);
  try {
    s->CheckedInterface();
    ADD_FAILURE();
  } catch (const EDirectDrawSurfaceError& e) {
    EXPECT_STREQ(e.what(), "IDirectDrawSurface not made");
  }
  // No video memory: the surface is made in system memory and remembers it.
  EXPECT_FALSE(s->SystemMemory());
  s->SetSize(8, 6);
  EXPECT_TRUE(s->SystemMemory());
  EXPECT_EQ(s->Width(), 8);
  new TDirectDrawPalette(dd);
  new TDirectDrawClipper(dd);
  new TDirectDrawSurface(dd);
  EXPECT_EQ(dd->SurfaceCount(), 2);
  delete s;
  EXPECT_EQ(dd->SurfaceCount(), 1);
  delete dd;  // frees the rest
}

// Colour-keyed and mirrored draws, clipped at every edge, against a reference computed here.
TEST(Surface, DrawMatchesReference) {
  TDirectDraw dd;
  TDirectDrawSurface dest(&dd), src(&dd);
  const uint32_t key = 0x00FF00FF;
  struct Case {
    int x, y;
    TRect rect;
    bool transparent;
  };
  const Case cases[] = {
      {3, 4, {0, 0, 12, 9}, true},   {-5, -3, {0, 0, 12, 9}, true}, {25, 18, {2, 1, 12, 9}, false},
      {5, 5, {12, 0, 0, 9}, true},   {-4, 2, {12, 0, 0, 9}, false}, {27, 17, {10, 8, 1, 2}, true},
      {1, 1, {3, 9, 10, 0}, true},   {-2, -2, {11, 7, 2, 1}, true}, {40, 0, {0, 0, 12, 9}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x * 1000 + c.y);
    Paint(dest, 32, 24, 1, 0);
    Paint(src, 12, 9, 2, key);
    src.SetTransparentColor(key);
    std::vector<uint32_t> want(32 * 24);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 32; ++x) want[size_t(y * 32 + x)] = dest.Pixel(x, y);
    const bool mx = c.rect.Left > c.rect.Right, my = c.rect.Top > c.rect.Bottom;
    const int l = std::min(c.rect.Left, c.rect.Right), t = std::min(c.rect.Top, c.rect.Bottom);
    const int w = std::abs(c.rect.Width()), h = std::abs(c.rect.Height());
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) {
        const int dx = c.x + i, dy = c.y + j;
        if (dx < 0 || dy < 0 || dx >= 32 || dy >= 24) continue;
        const uint32_t v = src.Pixel(mx ? l + w - 1 - i : l + i, my ? t + h - 1 - j : t + j);
        if (!c.transparent || v != key) want[size_t(dy * 32 + dx)] = v;
      }
    dest.Draw(c.x, c.y, c.rect, &src, c.transparent);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 32; ++x) ASSERT_EQ(dest.Pixel(x, y), want[size_t(y * 32 + x)]) << x << "," << y;
  }
}

TEST(Surface, ClippersAndBltFast) {
  TDirectDraw dd;
  TDirectDrawSurface dest(&dd), src(&dd);
  Paint(dest, 16, 16, 1, 0);
  Paint(src, 4, 4, 2, 1);
  TDirectDrawClipper clipper(&dd);
  QRegion region(QRect(0, 0, 8, 16));
  ASSERT_EQ(clipper.Interface()->SetClipList(region), DD_OK);
  // A clipper attached behind the wrapper's back: BltFast refuses, the draw is redone with Blt.
  dest.Interface()->SetClipper(clipper.InterfacePtr());
  EXPECT_FALSE(dest.HasClipper());
  EXPECT_EQ(dest.Interface()->BltFast(0, 0, src.Interface(), nullptr, 0), DDERR_BLTFASTCANTCLIP);
  dest.Draw(6, 0, &src, false);
  EXPECT_TRUE(dest.HasClipper());
  EXPECT_EQ(dest.Pixel(7, 0), src.Pixel(1, 0));
  EXPECT_NE(dest.Pixel(8, 0), src.Pixel(2, 0));  // outside the clip list

  QWidget window;
  window.resize(5, 5);
  window.show();
  clipper.SetHandle(&window);
  dest.Fill(0x123456);
  EXPECT_EQ(dest.Pixel(4, 4), 0x123456u);
  EXPECT_NE(dest.Pixel(5, 5), 0x123456u);
}

TEST(Surface, LockPixelsLostAndRestored) {
  TDirectDraw dd;
  TDirectDrawSurface s(&dd), src(&dd);
  s.SetSize(4, 3);
  src.SetSize(4, 3);
  DDSURFACEDESC d;
  ASSERT_TRUE(s.Lock(nullptr, d));
  EXPECT_EQ(d.lPitch, 16);
  EXPECT_FALSE(s.Lock(nullptr, d));
  static_cast<uint32_t*>(d.lpSurface)[5] = 0xABCDEF;
  s.Unlock();
  EXPECT_EQ(s.Pixel(1, 1), 0xABCDEFu);
  EXPECT_EQ(s.ColorMatch(0x0000FF), 0xFF0000u);  // red
  EXPECT_EQ(s.Pixel(0, 0), 0u);

  dd.Interface()->LoseSurfaces();
  EXPECT_TRUE(s.IsLost());
  EXPECT_FALSE(s.Blt(s.ClientRect(), src.ClientRect(), DDBLT_WAIT, DDBLTFX{}, &src));
  EXPECT_EQ(s.DXResult(), DDERR_SURFACELOST);
  EXPECT_FALSE(s.Lock(nullptr, d));
  EXPECT_TRUE(s.Restore());
  EXPECT_FALSE(s.IsLost());
  EXPECT_TRUE(src.Restore());
  EXPECT_TRUE(s.Blt(s.ClientRect(), src.ClientRect(), DDBLT_WAIT, DDBLTFX{}, &src));
}

TEST(Surface, GraphicsAndPalettes) {
  TDirectDraw dd;
  TDirectDrawSurface s(&dd);
  TDIB dib;
  dib.SetSize(6, 5, 24);
  dib.SetPixel(2, 1, 0x00FF00);
  s.LoadFromGraphic(dib);
  EXPECT_EQ(s.Width(), 6);
  EXPECT_EQ(s.Pixel(2, 1) & 0xFFFFFF, 0x00FF00u);
  TDIB back;
  s.AssignTo(back);
  EXPECT_EQ(back.BitCount(), 24);
  EXPECT_EQ(back.Pixel(2, 1), 0x00FF00u);

  // An 8-bit surface matches colours through its palette.
  TDirectDrawPalette palette(&dd);
  TPaletteEntries entries{};
  entries[9] = TPaletteEntry{200, 10, 10, 0};
  ASSERT_TRUE(palette.CreatePalette(DDPCAPS_8BIT, entries));
  TDirectDrawSurface s8(&dd);
  DDSURFACEDESC d;
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  d.dwWidth = d.dwHeight = 4;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  d.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  d.ddpfPixelFormat.dwRGBBitCount = 8;
  ASSERT_TRUE(s8.CreateSurface(d));
  s8.SetPalette(&palette);
  EXPECT_EQ(s8.ColorMatch(0x0A0AC8), 9u);
}
