// Placeable metafiles for the tests, the benchmarks and the fuzz seeds.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace wmfcorpus {

inline std::string Word(int v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
inline std::string Dword(uint32_t v) { return Word(int(v & 0xFFFF)) + Word(int(v >> 16)); }

inline std::string Record(int function, const std::vector<int>& params) {
  std::string r = Dword(uint32_t(3 + params.size())) + Word(function);
  for (int p : params) r += Word(p);
  return r;
}

// A metafile of the records (the end record added), with a placeable header of the frame
// (left, top, right, bottom) at `inch` units an inch when there is a frame.
inline std::string Records(const std::vector<int>& frame, int inch, const std::string& body) {
  std::string head;
  if (!frame.empty()) {
    head = Dword(0x9AC6CDD7) + Word(0);
    for (int v : frame) head += Word(v);
    head += Word(inch) + Dword(0);
    uint16_t sum = 0;
    for (size_t i = 0; i < head.size(); i += 2)
      sum ^= uint16_t(uint8_t(head[i]) | uint8_t(head[i + 1]) << 8);
    head += Word(sum);
  }
  const std::string records = body + Record(0, {});
  uint32_t largest = 3;
  for (size_t at = 0; at + 4 <= records.size();) {
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = n << 8 | uint8_t(records[at + size_t(i)]);
    largest = std::max(largest, n);
    at += std::max<size_t>(n, 3) * 2;
  }
  const uint32_t words = uint32_t((18 + records.size()) / 2);
  return head + Word(1) + Word(9) + Word(0x0300) + Dword(words) + Word(8) + Dword(largest) +
         Word(0) + records;
}
// A placeable metafile of W x H units at `inch` units an inch around the records of `body`.
inline std::string Placeable(int w, int h, int inch, const std::string& body) {
  return Records({0, 0, w, h}, inch, Record(0x020B, {0, 0}) + Record(0x020C, {h, w}) + body);
}

// Objects, selected as made (a file makes its brush, handle 0, before its pen) and shapes.
inline std::string Brush(uint32_t rgb) {
  return Record(0x02FC, {0, int(rgb & 0xFFFF), int(rgb >> 16), 0}) + Record(0x012D, {0});
}
inline std::string Pen(int width, uint32_t rgb) {
  return Record(0x02FA, {0, width, 0, int(rgb & 0xFFFF), int(rgb >> 16)}) + Record(0x012D, {1});
}
inline std::string Select(int handle) { return Record(0x012D, {handle}); }
// A pen of a style (1: dashed, 5: none), made but not selected.
inline std::string PenOf(int style, int width, uint32_t rgb) {
  return Record(0x02FA, {style, width, 0, int(rgb & 0xFFFF), int(rgb >> 16)});
}
// A font of Arial (or `face`); a positive height is the cell's, a negative one the letters'.
inline std::string Font(int height, int width = 0, const std::string& face = "Arial") {
  std::string r = Record(0x02FB, {height, width, 0, 0, 400, 0, 0, 0, 0});
  std::string name = face + std::string(face.size() % 2 ? 1 : 2, '\0');
  r.replace(0, 4, Dword(uint32_t(r.size() + name.size()) / 2));
  return r + name;
}
// TEXTOUT of `text` at x, y; the alignment of text (TA_*).
inline std::string Text(int x, int y, const std::string& text) {
  std::string s = text.size() % 2 ? text + '\0' : text;
  return Dword(uint32_t(3 + 1 + s.size() / 2 + 2)) + Word(0x0521) + Word(int(text.size())) + s +
         Word(y) + Word(x);
}
inline std::string Align(int align) { return Record(0x012E, {align}); }
inline std::string Points(const std::vector<std::vector<int>>& points) {
  std::string s;
  for (const auto& p : points) s += Word(p[0]) + Word(p[1]);
  return s;
}
inline std::string Polyline(int function, const std::vector<std::vector<int>>& points) {
  const std::string s = Points(points);
  return Dword(uint32_t(3 + 1 + s.size() / 2)) + Word(function) + Word(int(points.size())) + s;
}
// STRETCHDIB of a 24-bit bitmap of w x h pixels (bottom row first, blue green red) to x, y, dw, dh.
inline std::string StretchDib(int x, int y, int dw, int dh, int w, int h,
                              const std::string& pixels) {
  const std::string dib = Dword(40) + Dword(uint32_t(w)) + Dword(uint32_t(h)) + Word(1) + Word(24) +
                          Dword(0) + Dword(uint32_t(pixels.size())) + std::string(16, '\0') +
                          pixels;
  return Dword(uint32_t(3 + 11 + dib.size() / 2)) + Word(0x0F43) + Dword(0x00CC0020) + Word(0) +
         Word(h) + Word(w) + Word(0) + Word(0) + Word(dh) + Word(dw) + Word(y) + Word(x) + dib;
}
inline std::string Ellipse(int l, int t, int r, int b) { return Record(0x0418, {b, r, t, l}); }
inline std::string Rectangle(int l, int t, int r, int b) { return Record(0x041B, {b, r, t, l}); }
// Squares given by left, top and side, filled as one in the alternate mode.
inline std::string Squares(const std::vector<std::vector<int>>& squares) {
  std::vector<int> params{int(squares.size())};
  for (size_t i = 0; i < squares.size(); ++i) params.push_back(4);
  for (const auto& q : squares)
    for (int p : {q[0], q[1], q[0] + q[2], q[1], q[0] + q[2], q[1] + q[2], q[0], q[1] + q[2]})
      params.push_back(p);
  return Record(0x0538, params);
}
template <typename F>
std::string Repeat(int n, F shape) {
  std::string body;
  for (int i = 0; i < n; ++i) body += shape(i);
  return body;
}

// A box of W x H units filled `rectangles` times in red, then `idle` records that draw nothing.
inline std::string Metafile(int w, int h, int inch, int rectangles, int idle = 0) {
  const std::string fill = Record(0x041B, {h, w, 0, 0});
  std::string body = Brush(0x0000FF) + Repeat(rectangles, [&](int) { return fill; });
  body.reserve(body.size() + idle * 8);
  for (int i = 0; i < idle; ++i) body += Record(0x0102, {1});
  return Placeable(w, h, inch, body);
}

// Drawn with a pen as wide as the picture: 7 ellipses; 1,000 small rectangles.
inline std::string WidePenEllipses() {
  return Placeable(32000, 32000, 1440, Pen(32000, 0) + Repeat(7, [](int i) {
                     return Ellipse(i, i, 32000 - i, 32000 - i);
                   }));
}
inline std::string FatPenRectangles() {
  const std::string box = Rectangle(16000, 16000, 16010, 16010);
  return Placeable(32000, 32000, 1440,
                   Brush(0xFF) + Pen(20000, 0) + Repeat(1000, [&](int) { return box; }));
}

}  // namespace wmfcorpus
