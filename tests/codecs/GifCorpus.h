// Generated GIF pictures: written through our encoder or through giflib, and read back by
// giflib as the independent decoder.
#pragma once
#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "codecs/GifLzw.h"

namespace corpus {

struct Frame {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool Interlaced = false;
  int LocalColors = 0;  // 0: no local table
  int Transparent = -1;
  int Delay = 0, Disposal = 0;
  std::string Comment;
  std::vector<uint8_t> Pixels;
};

struct Gif {
  int Width = 0, Height = 0;
  int GlobalColors = 0;  // 0: no global table
  int Background = 0;
  bool Loop = false;
  int Loops = 0, LoopFrame = 0;  // the looping extension's count and the frame it precedes
  std::vector<Frame> Frames;
};

inline uint8_t Channel(int table, int i, int k) {
  return uint8_t(i * (37 + 20 * k) + table * 71 + k * 13);
}

inline Frame MakeFrame(int w, int h, int colors, uint32_t seed, bool noise = true) {
  Frame f;
  f.Width = w;
  f.Height = h;
  f.Pixels.resize(size_t(w) * h);
  std::mt19937 rng(seed);
  for (size_t i = 0; i < f.Pixels.size(); ++i)
    f.Pixels[i] = uint8_t(noise ? rng() % colors : (i / 7 + i / size_t(std::max(w, 1))) % colors);
  return f;
}

// A picture of one frame filling the screen, its colours in the global table.
inline Gif OneFrame(int w, int h, int colors, uint32_t seed) {
  Gif g;
  g.Width = w;
  g.Height = h;
  g.GlobalColors = colors;
  g.Frames.push_back(MakeFrame(w, h, colors, seed));
  return g;
}

inline int Bits(int colors) {
  int b = 1;
  while ((1 << b) < colors) ++b;
  return b;
}

inline void PutTable(std::string& out, int table, int colors) {
  for (int i = 0; i < (1 << Bits(colors)); ++i)
    for (int k = 0; k < 3; ++k) out.push_back(char(i < colors ? Channel(table, i, k) : 0));
}

inline void Put16(std::string& out, int v) {
  out.push_back(char(v & 0xFF));
  out.push_back(char((v >> 8) & 0xFF));
}

// Frame pixels in the order an interlaced frame stores them.
inline std::vector<uint8_t> StoredOrder(const Frame& f) {
  if (!f.Interlaced) return f.Pixels;
  std::vector<uint8_t> out;
  const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  for (int p = 0; p < 4; ++p)
    for (int y = start[p]; y < f.Height; y += step[p])
      out.insert(out.end(), f.Pixels.begin() + size_t(y) * f.Width,
                 f.Pixels.begin() + size_t(y + 1) * f.Width);
  return out;
}

// The whole file through our encoder (compression 0 LZW, 1 run-length).
inline std::string WriteOurs(const Gif& g, int compression = 0) {
  std::string out = "GIF89a";
  Put16(out, g.Width);
  Put16(out, g.Height);
  out.push_back(char(g.GlobalColors ? 0xF0 | (Bits(g.GlobalColors) - 1) : 0x70));
  out.push_back(char(g.Background));
  out.push_back(0);
  if (g.GlobalColors) PutTable(out, 0, g.GlobalColors);
  for (size_t n = 0; n < g.Frames.size(); ++n) {
    const Frame& f = g.Frames[n];
    if (g.Loop && int(n) == g.LoopFrame) {
      out.append("!\xFF\x0bNETSCAPE2.0\x03\x01", 16);
      Put16(out, g.Loops);
      out.push_back(0);
    }
    if (!f.Comment.empty()) {
      out.append("!\xFE", 2);
      for (size_t i = 0; i < f.Comment.size(); i += 255) {
        const std::string part = f.Comment.substr(i, 255);
        out.push_back(char(part.size()));
        out += part;
      }
      out.push_back(0);
    }
    if (f.Transparent >= 0 || f.Delay || f.Disposal) {
      out.append("!\xF9\x04", 3);
      out.push_back(char((f.Disposal << 2) | (f.Transparent >= 0 ? 1 : 0)));
      Put16(out, f.Delay);
      out.push_back(char(f.Transparent >= 0 ? f.Transparent : 0));
      out.push_back(0);
    }
    out.push_back(',');
    Put16(out, f.Left);
    Put16(out, f.Top);
    Put16(out, f.Width);
    Put16(out, f.Height);
    out.push_back(
        char((f.LocalColors ? 0x80 | (Bits(f.LocalColors) - 1) : 0) | (f.Interlaced ? 0x40 : 0)));
    if (f.LocalColors) PutTable(out, int(n) + 1, f.LocalColors);
    // The code size holds every pixel, also those past the table.
    int colors = f.LocalColors ? f.LocalColors : g.GlobalColors;
    for (uint8_t p : f.Pixels) colors = std::max(colors, 1 << Bits(p + 1));
    colors = std::max(colors, 2);
    gif::EncodeFrame(out, compression, Bits(colors), colors, f.Width, f.Height, f.Interlaced,
                     f.Pixels.data());
  }
  out.push_back(';');
  return out;
}

inline int WriteToString(GifFileType* gif, const GifByteType* data, int n) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), size_t(n));
  return n;
}

inline ColorMapObject* Map(int table, int colors) {
  const int n = 1 << Bits(colors);
  std::vector<GifColorType> c(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    c[size_t(i)] = {i < colors ? Channel(table, i, 0) : GifByteType(0),
                    i < colors ? Channel(table, i, 1) : GifByteType(0),
                    i < colors ? Channel(table, i, 2) : GifByteType(0)};
  return GifMakeMapObject(n, c.data());
}

// The whole file through giflib.
inline std::string WriteGiflib(const Gif& g) {
  std::string out;
  int err = 0;
  GifFileType* gif = EGifOpen(&out, WriteToString, &err);
  EGifSetGifVersion(gif, true);
  ColorMapObject* global = g.GlobalColors ? Map(0, g.GlobalColors) : nullptr;
  EGifPutScreenDesc(gif, g.Width, g.Height, 8, g.Background, global);
  if (g.Loop) {
    EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
    const unsigned char loop[3] = {1, 0, 0};
    EGifPutExtensionBlock(gif, 3, loop);
    EGifPutExtensionTrailer(gif);
  }
  for (size_t n = 0; n < g.Frames.size(); ++n) {
    const Frame& f = g.Frames[n];
    if (!f.Comment.empty()) EGifPutComment(gif, f.Comment.c_str());
    if (f.Transparent >= 0 || f.Delay || f.Disposal) {
      GraphicsControlBlock gcb{};
      gcb.DisposalMode = f.Disposal;
      gcb.DelayTime = f.Delay;
      gcb.TransparentColor = f.Transparent >= 0 ? f.Transparent : NO_TRANSPARENT_COLOR;
      GifByteType ext[4];
      EGifGCBToExtension(&gcb, ext);
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
    }
    ColorMapObject* local = f.LocalColors ? Map(int(n) + 1, f.LocalColors) : nullptr;
    EGifPutImageDesc(gif, f.Left, f.Top, f.Width, f.Height, f.Interlaced, local);
    std::vector<uint8_t> stored = StoredOrder(f);
    for (int y = 0; y < f.Height; ++y)
      EGifPutLine(gif, stored.data() + size_t(y) * f.Width, f.Width);
    if (local) GifFreeMapObject(local);
  }
  if (global) GifFreeMapObject(global);
  EGifCloseFile(gif, &err);
  return out;
}

struct Reader {
  const std::string* Data;
  size_t Pos;
};

inline int ReadFromString(GifFileType* gif, GifByteType* dst, int n) {
  auto* r = static_cast<Reader*>(gif->UserData);
  const size_t k = std::min(size_t(n), r->Data->size() - r->Pos);
  std::memcpy(dst, r->Data->data() + r->Pos, k);
  r->Pos += k;
  return int(k);
}

// Each frame's pixels (de-interlaced) as giflib decodes them; false when giflib refuses.
inline bool ReadGiflib(const std::string& data, std::vector<std::vector<uint8_t>>& frames) {
  Reader r{&data, 0};
  int err = 0;
  GifFileType* gif = DGifOpen(&r, ReadFromString, &err);
  if (!gif) return false;
  const bool ok = DGifSlurp(gif) == GIF_OK;
  frames.clear();
  for (int i = 0; ok && i < gif->ImageCount; ++i) {
    const SavedImage& s = gif->SavedImages[i];
    frames.emplace_back(s.RasterBits,
                        s.RasterBits + size_t(s.ImageDesc.Width) * s.ImageDesc.Height);
  }
  DGifCloseFile(gif, &err);
  return ok;
}

// The image data of a frame (code size byte and sub-blocks) cut into sub-blocks of `size`.
inline std::string Rechunk(const std::string& imageData, size_t size) {
  std::string codes;
  size_t p = 1;
  for (uint8_t n; (n = uint8_t(imageData[p])) != 0; p += n + 1) codes += imageData.substr(p + 1, n);
  std::string out(1, imageData[0]);
  for (size_t i = 0; i < codes.size(); i += size) {
    const std::string part = codes.substr(i, size);
    out.push_back(char(part.size()));
    out += part;
  }
  out.push_back(0);
  return out;
}

}  // namespace corpus
