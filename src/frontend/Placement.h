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

// The first placement, before any is stored: five sixths of the screen, centred, never below
// the minimum size.
Rect FirstPlacement(const Rect& screen, int32_t minWidth, int32_t minHeight);

}  // namespace placement
