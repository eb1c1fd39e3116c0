// Placeable metafiles for the tests, the benchmarks and the fuzz seeds: a box of W x H units at
// `inch` units an inch, filled `rectangles` times in red, then `idle` records that draw nothing.
#pragma once
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

inline std::string Metafile(int w, int h, int inch, int rectangles, int idle = 0) {
  std::string head =
      Dword(0x9AC6CDD7) + Word(0) + Word(0) + Word(0) + Word(w) + Word(h) + Word(inch) + Dword(0);
  uint16_t sum = 0;
  for (size_t i = 0; i < head.size(); i += 2)
    sum ^= uint16_t(uint8_t(head[i]) | uint8_t(head[i + 1]) << 8);
  head += Word(sum);
  std::string body = Record(0x020B, {0, 0}) + Record(0x020C, {h, w}) +
                     Record(0x02FC, {0, 0x00FF, 0x0000, 0}) + Record(0x012D, {0});
  const std::string fill = Record(0x041B, {h, w, 0, 0}), nothing = Record(0x0102, {1});
  body.reserve(body.size() + rectangles * fill.size() + idle * nothing.size() + 6);
  for (int i = 0; i < rectangles; ++i) body += fill;
  for (int i = 0; i < idle; ++i) body += nothing;
  body += Record(0x0000, {});
  const uint32_t words = uint32_t((18 + body.size()) / 2);
  return head + Word(1) + Word(9) + Word(0x0300) + Dword(words) + Word(1) + Dword(7) + Word(0) +
         body;
}

}  // namespace wmfcorpus
