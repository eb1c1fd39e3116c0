#include "frontend/Placement.h"

#include <algorithm>
#include <utility>

namespace placement {

namespace {
// Overlap of two spans, in pixels (0 when they do not meet).
int32_t Overlap(int64_t a0, int64_t a1, int64_t b0, int64_t b1) {
  int64_t lo = std::max(a0, b0), hi = std::min(a1, b1);
  return hi > lo ? static_cast<int32_t>(std::min<int64_t>(hi - lo, INT32_MAX)) : 0;
}

// The start of a span of `size` moved as little as possible into [start, start + room).
int32_t Within(int32_t at, int32_t start, int32_t room, int32_t size) {
  int64_t last = std::max<int64_t>(start, int64_t(start) + room - size);
  return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(at, start), last));
}

// Whether the screens together cover the whole of r: in each strip between the screens' left
// and right edges, the screens spanning it must reach from r's top to its bottom.
bool Covered(const Rect& r, const std::vector<Rect>& screens) {
  if (r.width <= 0 || r.height <= 0) return false;
  const int64_t right = int64_t(r.left) + r.width, bottom = int64_t(r.top) + r.height;
  std::vector<int64_t> strips{r.left};
  for (const Rect& s : screens)
    for (int64_t x : {int64_t(s.left), int64_t(s.left) + s.width})
      if (x > r.left && x < right) strips.push_back(x);
  std::vector<std::pair<int64_t, int64_t>> spans;
  for (int64_t x : strips) {
    spans.clear();
    for (const Rect& s : screens)
      if (s.left <= x && x < int64_t(s.left) + s.width)
        spans.emplace_back(s.top, int64_t(s.top) + s.height);
    std::sort(spans.begin(), spans.end());
    int64_t reached = r.top;
    for (const auto& [from, to] : spans) {
      if (from > reached) break;
      reached = std::max(reached, to);
    }
    if (reached < bottom) return false;
  }
  return true;
}
}  // namespace

Rect BringOntoScreens(const Rect& r, const std::vector<Rect>& screens) {
  if (screens.empty()) return r;
  // The strip along the top edge must show at least this much on one screen.
  const int32_t kGrab = 40;
  const Rect* home = nullptr;
  for (const Rect& s : screens) {
    int32_t wide = Overlap(r.left, int64_t(r.left) + r.width, s.left, int64_t(s.left) + s.width);
    bool topInside = r.top >= s.top && int64_t(r.top) < int64_t(s.top) + s.height - kGrab / 2;
    if (topInside && wide >= std::min<int32_t>(kGrab, std::max<int32_t>(r.width, 1))) {
      home = &s;
      break;
    }
  }
  if (home && Covered(r, screens)) return r;  // wholly on the screens, also across two
  // Otherwise fitted into the screen its top edge is on, or centred on the first one: shrunk
  // only when larger than that screen, moved only as far as needed.
  const Rect& s = home ? *home : screens.front();
  Rect out = r;
  out.width = std::clamp<int32_t>(r.width, 1, std::max<int32_t>(s.width, 1));
  out.height = std::clamp<int32_t>(r.height, 1, std::max<int32_t>(s.height, 1));
  if (home) {
    out.left = Within(r.left, s.left, s.width, out.width);
    out.top = Within(r.top, s.top, s.height, out.height);
  } else {
    out.left = s.left + (s.width - out.width) / 2;
    out.top = s.top + (s.height - out.height) / 2;
  }
  return out;
}

Rect BringFrameOntoScreens(const Rect& client, const Margins& m, const std::vector<Rect>& screens) {
  const int32_t wide = m.left + m.right, high = m.top + m.bottom;
  Rect frame{client.left - m.left, client.top - m.top, client.width + wide, client.height + high};
  frame = BringOntoScreens(frame, screens);
  return {frame.left + m.left, frame.top + m.top, std::max(1, frame.width - wide),
          std::max(1, frame.height - high)};
}

int32_t SplitAt(int32_t saved, int32_t savedTotal, int32_t total, int32_t minFirst,
                int32_t minSecond) {
  if (total <= 0) return std::max(0, saved);
  minFirst = std::max(1, minFirst);
  minSecond = std::max(1, minSecond);
  if (int64_t(minFirst) + minSecond > total)
    return static_cast<int32_t>(int64_t(total) * minFirst / (int64_t(minFirst) + minSecond));
  int64_t first = saved;
  if (saved < minFirst || int64_t(total) - saved < minSecond)
    first = savedTotal > 0 ? (int64_t(saved) * total + savedTotal / 2) / savedTotal : saved;
  return static_cast<int32_t>(std::clamp<int64_t>(first, minFirst, int64_t(total) - minSecond));
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
