// BMP files written independently of the DIB graphic (with a small RLE encoder of their own),
// and the upright picture each should give.
#pragma once
#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace dibfiles {

// Os2: the 64-byte OS/2 2.x header; Os2Short: its 16-byte form.
enum class Header { Core, Info, V5, Os2, Os2Short };
// FieldsBgr565 and FieldsHigh888 put the channels in another order or place (blue on top,
// red in the second byte).
enum class Comp { Rgb, Fields555, Fields565, Fields888, Rle4, Rle8, FieldsBgr565, FieldsHigh888 };

struct BmpKind {
  int Width, Height, Bits;
  Header Kind = Header::Info;
  Comp Compression = Comp::Rgb;
  bool TopDown = false;
  int Gap = 0;         // bytes between the colours and the pixels, named by the file header
  int SizeField = -1;  // the image-size field; -1: the pixel data's size
  int RlePad = 0;      // RLE rows coded as pixels up to a multiple of this (the padding 0)
};

inline void Put(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}

inline int Colors(const BmpKind& s) { return s.Bits <= 8 ? 1 << s.Bits : 0; }

inline QRgb PaletteColor(int i) { return qRgb((i * 53) & 0xFF, (i * 101 + 7) & 0xFF, (255 - i * 29) & 0xFF); }

// Colour indices for up to 8 bits (with runs, for RLE), else 0xRRGGBB.
inline uint32_t PixelAt(const BmpKind& s, int x, int y) {
  if (s.Bits <= 8) return uint32_t(((x / 3) + y * 2 + (x * y) % 3) % Colors(s));
  return uint32_t(qRgb((x * 37 + y) & 0xFF, (y * 11) & 0xFF, ((x ^ y) * 5) & 0xFF) & 0xFFFFFF);
}

inline int Expand(int v, int bits) {
  int r = v << (8 - bits);
  for (int s = bits; s < 8; s += bits) r |= r >> bits;
  return r & 0xFF;
}

inline uint32_t Pack16(const BmpKind& s, uint32_t c) {
  const uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
  if (s.Compression == Comp::FieldsBgr565) return ((b >> 3) << 11) | ((g >> 2) << 5) | (r >> 3);
  return s.Compression == Comp::Fields565 ? ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)
                                          : ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
}

inline QImage Expected(const BmpKind& s) {
  QImage img(s.Width, s.Height, QImage::Format_RGB32);
  for (int y = 0; y < s.Height; ++y)
    for (int x = 0; x < s.Width; ++x) {
      const uint32_t p = PixelAt(s, x, y);
      QRgb c;
      if (s.Bits <= 8) {
        c = PaletteColor(int(p));
      } else if (s.Bits == 16) {
        const uint32_t v = Pack16(s, p);
        c = s.Compression == Comp::Fields565
                ? qRgb(Expand(int(v >> 11), 5), Expand(int((v >> 5) & 63), 6), Expand(int(v & 31), 5))
            : s.Compression == Comp::FieldsBgr565
                ? qRgb(Expand(int(v & 31), 5), Expand(int((v >> 5) & 63), 6), Expand(int(v >> 11), 5))
                : qRgb(Expand(int(v >> 10), 5), Expand(int((v >> 5) & 31), 5), Expand(int(v & 31), 5));
      } else {
        c = 0xFF000000u | p;
      }
      img.setPixel(x, y, c);
    }
  return img;
}

// One stored row (row 0 = the bottom one unless top-down), uncompressed.
inline std::string Row(const BmpKind& s, int y) {
  std::string r;
  if (s.Bits < 8) {
    uint32_t acc = 0;
    int n = 0;
    for (int x = 0; x < s.Width; ++x) {
      acc = (acc << s.Bits) | PixelAt(s, x, y);
      n += s.Bits;
      if (n == 8) {
        r.push_back(char(acc));
        acc = 0;
        n = 0;
      }
    }
    if (n) r.push_back(char(acc << (8 - n)));
  } else {
    for (int x = 0; x < s.Width; ++x) {
      const uint32_t p = PixelAt(s, x, y);
      if (s.Bits == 8) Put(r, p, 1);
      else if (s.Bits == 16) Put(r, Pack16(s, p), 2);
      else if (s.Bits == 24) Put(r, p, 3);
      else if (s.Compression == Comp::FieldsHigh888)
        Put(r, (p & 0xFF0000) >> 8 | (p & 0xFF00) << 8 | (p & 0xFF) << 24, 4);
      else Put(r, p, 4);
    }
  }
  while (r.size() % 4) r.push_back(0);
  return r;
}

// RLE: equal neighbours become encoded runs, the rest absolute runs of 3 or more (else
// encoded runs of one); rows end with an end-of-line, the picture with an end-of-bitmap.
inline std::string Rle(const BmpKind& s) {
  const bool four = s.Compression == Comp::Rle4;
  const int width = s.RlePad ? (s.Width + s.RlePad - 1) / s.RlePad * s.RlePad : s.Width;
  std::string out;
  for (int row = 0; row < s.Height; ++row) {
    const int y = s.Height - 1 - row;
    auto at = [&](int x) { return x < s.Width ? PixelAt(s, x, y) : 0u; };
    int x = 0;
    while (x < width) {
      int run = 1;
      while (x + run < width && run < 255 && at(x + run) == at(x)) ++run;
      if (run >= 2) {
        const uint32_t v = at(x);
        out.push_back(char(run));
        out.push_back(char(four ? (v << 4) | v : v));
        x += run;
        continue;
      }
      int lit = 1;
      while (x + lit < width && lit < 255 &&
             !(x + lit + 1 < width && at(x + lit) == at(x + lit + 1)))
        ++lit;
      if (lit < 3) {
        for (int i = 0; i < lit; ++i) {
          const uint32_t v = at(x + i);
          out.push_back(1);
          out.push_back(char(four ? v << 4 : v));
        }
      } else {
        out.push_back(0);
        out.push_back(char(lit));
        std::string data;
        for (int i = 0; i < lit; ++i) {
          const uint32_t v = at(x + i);
          if (!four) data.push_back(char(v));
          else if (i % 2 == 0) data.push_back(char(v << 4));
          else data.back() = char(data.back() | char(v));
        }
        if (data.size() % 2) data.push_back(0);
        out += data;
      }
      x += lit;
    }
    out.push_back(0);
    out.push_back(row == s.Height - 1 ? 1 : 0);
  }
  return out;
}

// `rleData` replaces the RLE data coded from the picture.
inline std::string Write(const BmpKind& s, const std::string& rleData = {}) {
  const bool rle = s.Compression == Comp::Rle4 || s.Compression == Comp::Rle8;
  const bool fields = s.Compression == Comp::Fields555 || s.Compression == Comp::Fields565 ||
                      s.Compression == Comp::Fields888 || s.Compression == Comp::FieldsBgr565 ||
                      s.Compression == Comp::FieldsHigh888;
  std::string bits;
  if (rle) {
    bits = rleData.empty() ? Rle(s) : rleData;
  } else {
    for (int i = 0; i < s.Height; ++i) bits += Row(s, s.TopDown ? i : s.Height - 1 - i);
  }
  uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};
  if (s.Compression == Comp::Fields555) masks[0] = 0x7C00, masks[1] = 0x3E0, masks[2] = 0x1F;
  if (s.Compression == Comp::Fields565) masks[0] = 0xF800, masks[1] = 0x7E0, masks[2] = 0x1F;
  if (s.Compression == Comp::FieldsBgr565) masks[0] = 0x1F, masks[1] = 0x7E0, masks[2] = 0xF800;
  if (s.Compression == Comp::FieldsHigh888)
    masks[0] = 0xFF00, masks[1] = 0xFF0000, masks[2] = 0xFF000000;
  std::string h;
  if (s.Kind == Header::Core) {
    Put(h, 12, 4);
    Put(h, uint32_t(s.Width), 2);
    Put(h, uint32_t(s.Height), 2);
    Put(h, 1, 2);
    Put(h, uint32_t(s.Bits), 2);
  } else if (s.Kind == Header::Os2Short) {
    Put(h, 16, 4);
    Put(h, uint32_t(s.Width), 4);
    Put(h, uint32_t(s.Height), 4);
    Put(h, 1, 2);
    Put(h, uint32_t(s.Bits), 2);
  } else {
    Put(h, s.Kind == Header::V5 ? 124 : s.Kind == Header::Os2 ? 64 : 40, 4);
    Put(h, uint32_t(s.Width), 4);
    Put(h, uint32_t(s.TopDown ? -s.Height : s.Height), 4);
    Put(h, 1, 2);
    Put(h, uint32_t(s.Bits), 2);
    const uint32_t comp = fields ? 3 : s.Compression == Comp::Rle8 ? 1 : rle ? 2 : 0;
    Put(h, comp, 4);
    Put(h, uint32_t(s.SizeField < 0 ? int(bits.size()) : s.SizeField), 4);
    Put(h, 2835, 4);
    Put(h, 2835, 4);
    Put(h, 0, 4);
    Put(h, 0, 4);
    if (s.Kind == Header::V5) {
      for (uint32_t m : masks) Put(h, fields ? m : 0, 4);
      Put(h, 0, 4);           // alpha mask
      Put(h, 0x73524742, 4);  // sRGB
      h.append(124 - h.size(), '\0');
    } else if (s.Kind == Header::Os2) {
      h.append(64 - h.size(), '\0');  // units, rendering, colour encoding: none
    } else if (fields) {
      for (uint32_t m : masks) Put(h, m, 4);
    }
  }
  for (int i = 0; i < Colors(s); ++i) {
    const QRgb c = PaletteColor(i);
    Put(h, uint32_t(qBlue(c)), 1);
    Put(h, uint32_t(qGreen(c)), 1);
    Put(h, uint32_t(qRed(c)), 1);
    if (s.Kind != Header::Core) Put(h, 0, 1);
  }
  h.append(size_t(s.Gap), '\xEE');
  std::string f = "BM";
  Put(f, uint32_t(14 + h.size() + bits.size()), 4);
  Put(f, 0, 4);
  Put(f, uint32_t(14 + h.size()), 4);
  return f + h + bits;
}

}  // namespace dibfiles
