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

TEST(Placement, APlacementPartlyOffItsScreenIsFittedIntoIt) {
  const std::vector<Rect> small{{0, 0, 1280, 800}};
  const std::vector<Rect> two{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  const std::vector<Rect> panel{{0, 30, 1280, 770}};  // a bar takes the top of the screen
  const std::vector<Rect> xga{{0, 0, 1024, 768}};
  const placement::Margins frame{1, 20, 1, 5};
  struct Row {
    Rect saved;
    const std::vector<Rect>* screens;
    Rect fitted;
    placement::Margins frame = {};  // the saved rectangle is the client inside it
  } rows[] = {
      // Saved on a larger screen: shrunk to this one.
      {{133, 83, 1333, 833}, &small, {0, 0, 1280, 800}},
      // It fits: the size is kept, moved only as far as needed.
      {{700, 300, 800, 600}, &small, {480, 200, 800, 600}},
      {{100, 50, 800, 900}, &small, {100, 0, 800, 800}},
      {{10, 40, 1000, 760}, &panel, {10, 40, 1000, 760}},
      {{10, 40, 1000, 780}, &panel, {10, 30, 1000, 770}},
      // Across two screens but below the shorter one: into the screen of its top edge.
      {{1800, 100, 760, 1000}, &two, {1160, 80, 760, 1000}},
      {{2000, 100, 1400, 600}, &two, {1920, 100, 1280, 600}},
      // With a frame, the whole frame is fitted: title bar and lower edge on the screen.
      {{0, 0, 1024, 768}, &xga, {1, 20, 1022, 743}, frame},
      {{10, 30, 1000, 740}, &xga, {10, 23, 1000, 740}, frame},
      {{200, 120, 800, 600}, &xga, {200, 120, 800, 600}, frame},
  };
  for (const Row& row : rows) {
    Rect out = placement::BringFrameOntoScreens(row.saved, row.frame, *row.screens);
    EXPECT_EQ(std::vector<int32_t>({out.left, out.top, out.width, out.height}),
              std::vector<int32_t>({row.fitted.left, row.fitted.top, row.fitted.width,
                                    row.fitted.height}))
        << row.saved.left << "," << row.saved.top << " " << row.saved.width << "x"
        << row.saved.height;
  }
}

// The left panel comes back as saved when both panels keep their minimum; else in proportion,
// held between the minimums.
TEST(Placement, SplitComesBackAsSavedOrInProportion) {
  struct Row {
    int32_t saved, savedTotal, total, minFirst, minSecond, first;
  } rows[] = {
      {760, 1144, 1144, 200, 380, 760},
      {300, 600, 1200, 200, 280, 300},   // fits: not scaled
      {760, 1144, 750, 200, 380, 370},   // a smaller window
      {1146, 1146, 1146, 200, 280, 866},  // the right panel was lost
      {0, 1000, 1000, 200, 280, 200},
      {500, 1000, 900, 200, 450, 450},
      {100, 1000, 500, 200, 400, 166},   // both minimums do not fit: shared
  };
  for (const Row& r : rows)
    EXPECT_EQ(placement::SplitAt(r.saved, r.savedTotal, r.total, r.minFirst, r.minSecond), r.first)
        << r.saved << " of " << r.savedTotal << " in " << r.total;
}
