#include "frontend/Placement.h"

#include <algorithm>

namespace placement {

namespace {
// Overlap of two spans, in pixels (0 when they do not meet).
int32_t Overlap(int64_t a0, int64_t a1, int64_t b0, int64_t b1) {
  int64_t lo = std::max(a0, b0), hi = std::min(a1, b1);
  return hi > lo ? static_cast<int32_t>(std::min<int64_t>(hi - lo, INT32_MAX)) : 0;
}
}  // namespace

Rect BringOntoScreens(const Rect& r, const std::vector<Rect>& screens) {
  if (screens.empty()) return r;
  // The strip along the top edge must show at least this much on one screen.
  const int32_t kGrab = 40;
  for (const Rect& s : screens) {
    int32_t wide = Overlap(r.left, int64_t(r.left) + r.width, s.left, int64_t(s.left) + s.width);
    bool topInside = r.top >= s.top && int64_t(r.top) < int64_t(s.top) + s.height - kGrab / 2;
    if (topInside && wide >= std::min<int32_t>(kGrab, std::max<int32_t>(r.width, 1))) return r;
  }
  const Rect& s = screens.front();
  Rect out = r;
  out.width = std::clamp<int32_t>(r.width, 1, std::max<int32_t>(s.width, 1));
  out.height = std::clamp<int32_t>(r.height, 1, std::max<int32_t>(s.height, 1));
  out.left = s.left + (s.width - out.width) / 2;
  out.top = s.top + (s.height - out.height) / 2;
  return out;
}

Rect FirstPlacement(const Rect& screen, int32_t minWidth, int32_t minHeight) {
  Rect r;
  r.width = std::max(minWidth, screen.width * 5 / 6);
  r.height = std::max(minHeight, screen.height * 5 / 6);
  r.left = screen.left + (screen.width - r.width) / 2;
  r.top = screen.top + (screen.height - r.height) / 2;
  return r;
}

}  // namespace placement
