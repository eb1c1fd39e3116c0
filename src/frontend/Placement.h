// Keeping a stored window placement on one of the present screens.
#pragma once
#include <cstdint>
#include <vector>

namespace placement {

struct Rect {
  int32_t left = 0, top = 0, width = 0, height = 0;
};

// The placement as stored when it lies wholly on the screens. When its top edge (where the
// window is grabbed) lies on one of them, it is fitted into that screen: its size kept when
// it fits, else shrunk to the screen, and moved only as far as needed. Otherwise the same size
// centred on the first screen, shrunk to fit it. Without screens the placement is returned
// unchanged.
Rect BringOntoScreens(const Rect& r, const std::vector<Rect>& screens);

// A window frame's borders around the client area.
struct Margins {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The client area whose frame (the client grown by the margins) is brought onto the screens as
// above: the whole frame ends on one screen when it did not lie on them.
Rect BringFrameOntoScreens(const Rect& client, const Margins& frame,
                           const std::vector<Rect>& screens);

// The width of the first of two panels side by side in `total` pixels, `saved` of
// `savedTotal` before: as saved when both panels keep their minimum, else in the same
// proportion, held between the minimums (shared in their ratio when both cannot fit).
int32_t SplitAt(int32_t saved, int32_t savedTotal, int32_t total, int32_t minFirst,
                int32_t minSecond);

// The first placement, before any is stored: five sixths of the screen, centred, never below
// the minimum size.
Rect FirstPlacement(const Rect& screen, int32_t minWidth, int32_t minHeight);

}  // namespace placement
