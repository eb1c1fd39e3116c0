#include <gtest/gtest.h>

#include "frontend/Placement.h"

using placement::BringOntoScreens;
using placement::Rect;

TEST(Placement, OnScreenPlacementsStandAsStored) {
  std::vector<Rect> screens{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  Rect a{100, 50, 760, 570};
  Rect b{2000, 100, 800, 600};  // second screen
  Rect c{1800, 10, 760, 570};   // across both
  for (const Rect& r : {a, b, c}) {
    Rect out = BringOntoScreens(r, screens);
    EXPECT_EQ(out.left, r.left);
    EXPECT_EQ(out.top, r.top);
  }
}

TEST(Placement, PlacementOffEveryScreenIsCentredOnTheFirst) {
  std::vector<Rect> screens{{0, 0, 1024, 768}, {1024, 0, 1024, 768}};
  for (Rect r : {Rect{5000, 100, 760, 570}, Rect{100, -600, 760, 570}, Rect{-2000, 10, 760, 570},
                 Rect{100, 760, 760, 570}}) {
    Rect out = BringOntoScreens(r, screens);
    EXPECT_EQ(out.left, (1024 - 760) / 2);
    EXPECT_EQ(out.top, (768 - 570) / 2);
    EXPECT_EQ(out.width, 760);
  }
  // Larger than the screen: shrunk to it.
  Rect big = BringOntoScreens({9000, 9000, 3000, 2000}, screens);
  EXPECT_EQ(big.width, 1024);
  EXPECT_EQ(big.height, 768);
  EXPECT_EQ(big.left, 0);
  // Without screens nothing can be said.
  EXPECT_EQ(BringOntoScreens({9000, 9000, 10, 10}, {}).left, 9000);
}

TEST(Placement, FirstPlacementUsesMostOfTheScreenAndNeverLessThanTheMinimum) {
  Rect wide = placement::FirstPlacement({0, 0, 1600, 1000}, 760, 570);
  EXPECT_EQ(wide.width, 1333);
  EXPECT_EQ(wide.height, 833);
  EXPECT_EQ(wide.left, (1600 - 1333) / 2);
  EXPECT_EQ(wide.top, (1000 - 833) / 2);
  Rect small = placement::FirstPlacement({100, 0, 800, 600}, 760, 570);
  EXPECT_EQ(small.width, 760);
  EXPECT_EQ(small.height, 570);
  EXPECT_EQ(small.left, 100 + 20);
}
