#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "directx/DXImageList.h"

namespace {

std::shared_ptr<TDIB> Picture(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x % 256, y % 256, (x / 20 + y / 20) * 10));
  auto dib = std::make_shared<TDIB>();
  dib->Assign(img);
  return dib;
}

}  // namespace

TEST(PictureCollection, PatternsAndSurfaceBlocks) {
  struct Case {
    int w, h, pw, ph, skipW, skipH;
    bool systemMemory;
    size_t blocks, patterns;
    int probe;  // a pattern to check
    TRect rect;
    size_t block;
  } cases[] = {
      {389, 120, 0, 0, 0, 0, false, 1, 1, 0, {0, 0, 389, 120}, 0},
      {100, 40, 20, 20, 0, 0, false, 1, 10, 7, {40, 20, 60, 40}, 0},
      {1024, 64, 64, 64, 0, 0, false, 2, 16, 9, {64, 0, 128, 64}, 1},
      {1024, 64, 64, 64, 0, 0, true, 1, 16, 9, {576, 0, 640, 64}, 0},
      {100, 40, 18, 18, 2, 2, false, 1, 10, 6, {20, 20, 38, 38}, 0},
  };
  for (const Case& c : cases) {
    TPatternLayout l = LayoutPatterns(c.w, c.h, c.pw, c.ph, c.skipW, c.skipH, c.systemMemory);
    ASSERT_EQ(l.Blocks.size(), c.blocks) << c.w << "x" << c.h;
    ASSERT_EQ(l.Patterns.size(), c.patterns);
    EXPECT_EQ(l.Patterns[static_cast<size_t>(c.probe)].Rect, c.rect);
    EXPECT_EQ(l.Patterns[static_cast<size_t>(c.probe)].Block, c.block);
  }
  EXPECT_EQ(LayoutPatterns(1024, 64, 64, 64, 0, 0, false).Blocks[1], (TRect{512, 0, 1024, 64}));
}

TEST(DXImageList, BuildsSurfacesWithTheControlAndDrawsPatterns) {
  QWidget form;
  TDXDraw* draw = new TDXDraw(&form);
  draw->SetAutoSize(false);
  draw->SetSurfaceSize(100, 40);
  TDXImageList list;
  TPictureCollectionItem* item = list.Items().Add();
  item->SetName("Cells");
  item->PatternWidth = item->PatternHeight = 20;
  item->Transparent = false;
  item->SetPicture(Picture(100, 40));

  // Not initialised: nothing to build on, drawing does nothing.
  EXPECT_THROW(list.Items().Initialize(draw), EPictureCollectionError);
  EXPECT_THROW(list.Items().Items(1), std::out_of_range);
  draw->Initialize();
  list.SetDXDraw(draw);  // on an initialised control the list builds its surfaces at once
  ASSERT_TRUE(item->Initialized());
  EXPECT_EQ(item->PatternCount(), 10);
  EXPECT_EQ(item->SurfaceCount(), 1);
  EXPECT_EQ(list.Items().Find("CELLS"), item);

  item->Draw(draw->Surface(), 0, 0, 7);  // the cell at (40, 20)
  EXPECT_EQ(draw->Surface()->Pixel(3, 4) & 0xFFFFFF, uint32_t(43 << 16 | 24 << 8 | 30));
  const uint32_t before = draw->Surface()->Pixel(90, 30);
  item->Draw(draw->Surface(), 80, 20, 10);  // beyond the patterns
  EXPECT_EQ(draw->Surface()->Pixel(90, 30), before);

  // A new transparent colour re-keys the surfaces without making them again.
  TDirectDrawSurface* surface = item->Surface(0);
  item->SetTransparentColor(0xFF);
  EXPECT_EQ(item->Surface(0), surface);

  // Finalising the control frees the surfaces; a lost-surface restore rebuilds them.
  draw->Finalize();
  EXPECT_FALSE(item->Initialized());
  EXPECT_EQ(item->SurfaceCount(), 0);
  draw->Initialize();
  EXPECT_EQ(item->SurfaceCount(), 1);
  draw->DDraw()->Interface()->LoseSurfaces();
  draw->Flip();
  EXPECT_EQ(item->PatternCount(), 10);
  EXPECT_EQ(list.Items().WriteColorTable().size(), 1024u);
}
