// JPEG files written by libjpeg for the tests and the fuzz seeds: colour spaces, progressive
// and hand-made scan sequences, restart markers, an orientation tag, and hostile scan runs.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>

namespace jpegcorpus {

struct Spec {
  int Width = 16, Height = 16;
  J_COLOR_SPACE Space = JCS_RGB;  // JCS_GRAYSCALE, JCS_RGB or JCS_CMYK (JCS_YCCK: CMYK stored so)
  bool Progressive = false;
  bool FullChroma = false;  // no subsampling
  int Restart = 0;          // restart interval in rows of blocks
  // One coefficient a scan in two steps for each component from NarrowFrom (1 + 2 * 63 scans
  // each).
  bool NarrowScans = false;
  bool Flat = false;  // one grey level: the smallest scans
  // Successive approximation from bit 13 down to 0 over coefficients 1-63 of the first
  // component, after one DC scan: 1 + 14 * Cycles scans (each cycle after the first starts
  // again from bit 13, which libjpeg takes as legal). Flat pictures only.
  int Cycles = 0;
  // Luminance sampled this many times the chroma each way (0: the library's default; beyond 2,
  // narrow scans start with a DC scan for each component).
  int LumaSampling = 0;
  int NarrowFrom = 0;
  bool Arithmetic = false;  // arithmetic coding instead of Huffman
  int Quality = 90;
};

// Where scan `n` (from 1) starts, with the tables written just before it.
inline size_t ScanStart(const std::string& jpeg, int n) {
  size_t start = 0;
  for (int i = 0; i < n; ++i) start = jpeg.find("\xFF\xDA", start + 1);
  const size_t tables = jpeg.rfind("\xFF\xC4", start);
  if (tables != std::string::npos &&
      tables + 2 + (size_t(uint8_t(jpeg[tables + 2])) << 8 | uint8_t(jpeg[tables + 3])) == start)
    return tables;
  return start;
}

// Scans 2 (first pass) and 3 (refinement) of a one-component AC script made into `cycles`
// runs of a first pass at bit 13 and refinements down to bit 0 (all coefficients zero: the
// data does not depend on the bits). The DC scan before them is left without data.
inline std::string ApproximationCycles(const std::string& jpeg, int cycles) {
  const size_t dc = jpeg.find("\xFF\xDA");
  const size_t first = ScanStart(jpeg, 2), refine = ScanStart(jpeg, 3);
  const std::string pass = jpeg.substr(first, refine - first);
  const std::string again = jpeg.substr(refine, jpeg.size() - 2 - refine);
  auto withBits = [](std::string scan, int ah, int al) {
    scan[scan.find("\xFF\xDA") + 9] = char(ah << 4 | al);
    return scan;
  };
  std::string out =
      jpeg.substr(0, dc + 2 + (size_t(uint8_t(jpeg[dc + 2])) << 8 | uint8_t(jpeg[dc + 3])));
  for (int i = 0; i < cycles; ++i) {
    out += withBits(pass, 0, 13);
    for (int al = 12; al >= 0; --al) out += withBits(again, al + 1, al);
  }
  return out + "\xFF\xD9";
}

inline std::string Write(const Spec& s) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buf = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buf, &size);
  const bool cmyk = s.Space == JCS_CMYK || s.Space == JCS_YCCK;
  const int comps = s.Space == JCS_GRAYSCALE ? 1 : cmyk ? 4 : 3;
  c.image_width = JDIMENSION(s.Width);
  c.image_height = JDIMENSION(s.Height);
  c.input_components = comps;
  c.in_color_space = cmyk ? JCS_CMYK : s.Space;
  jpeg_set_defaults(&c);
  if (s.Space == JCS_YCCK) jpeg_set_colorspace(&c, JCS_YCCK);
  jpeg_set_quality(&c, s.Quality, TRUE);
  if (s.FullChroma)
    for (int i = 0; i < c.num_components; ++i)
      c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
  if (s.LumaSampling)
    c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = s.LumaSampling;
  c.restart_in_rows = s.Restart;
  c.arith_code = s.Arithmetic;
  std::vector<jpeg_scan_info> scans;
  if (s.Cycles > 0) {
    jpeg_scan_info dc{};
    dc.comps_in_scan = c.num_components;
    for (int i = 0; i < c.num_components; ++i) dc.component_index[i] = i;
    scans.push_back(dc);
    // The library writes no bit past 10: a first pass and a refinement, their bits set after.
    for (int al = 1; al >= 0; --al) {
      jpeg_scan_info a{};
      a.comps_in_scan = 1;
      a.Ss = 1;
      a.Se = 63;
      a.Ah = 1 - al;
      a.Al = al;
      scans.push_back(a);
    }
    c.scan_info = scans.data();
    c.num_scans = int(scans.size());
  } else if (s.NarrowScans) {
    // Beyond 2 x 2 the blocks of a unit are too many for one scan of all components.
    for (int i = 0; i < c.num_components; ++i) {
      jpeg_scan_info& dc = i == 0 || s.LumaSampling > 2 ? scans.emplace_back() : scans.back();
      dc.component_index[dc.comps_in_scan++] = i;
    }
    for (int step = 0; step < 2; ++step)
      for (int ci = s.NarrowFrom; ci < c.num_components; ++ci)
        for (int k = 1; k < 64; ++k) {
          jpeg_scan_info a{};
          a.comps_in_scan = 1;
          a.component_index[0] = ci;
          a.Ss = a.Se = k;
          a.Ah = step;
          a.Al = 1 - step;
          scans.push_back(a);
        }
    c.scan_info = scans.data();
    c.num_scans = int(scans.size());
  } else if (s.Progressive) {
    jpeg_simple_progression(&c);
  }
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(size_t(s.Width) * comps);
  for (int y = 0; y < s.Height; ++y) {
    for (int x = 0; x < s.Width; ++x)
      for (int k = 0; k < comps; ++k)
        row[size_t(x) * comps + k] =
            JSAMPLE(s.Flat ? 128 : (x * (40 + 30 * k) + y * (90 - 20 * k) + ((x ^ y) & 8) * 9) & 0xFF);
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  std::string out(reinterpret_cast<const char*>(buf), size);
  std::free(buf);
  jpeg_destroy_compress(&c);
  return s.Cycles > 0 ? ApproximationCycles(out, s.Cycles) : out;
}

// The last scan (with the tables written just before it) repeated `times` more times.
inline std::string RepeatLastScan(const std::string& jpeg, int times) {
  size_t start = jpeg.rfind("\xFF\xDA");
  const size_t tables = jpeg.rfind("\xFF\xC4", start);
  if (tables != std::string::npos &&
      tables + 2 + (size_t(uint8_t(jpeg[tables + 2])) << 8 | uint8_t(jpeg[tables + 3])) == start)
    start = tables;
  const size_t end = jpeg.size() - 2;  // the end-of-image marker
  std::string out = jpeg.substr(0, end);
  for (int i = 0; i < times; ++i) out += jpeg.substr(start, end - start);
  return out + "\xFF\xD9";
}

// An Exif segment with the orientation tag after the start-of-image marker.
inline std::string WithOrientation(const std::string& jpeg, int orientation) {
  const std::string tiff = std::string("II*\0\x08\0\0\0", 8) + std::string("\x01\0", 2) +
                           std::string("\x12\x01\x03\0\x01\0\0\0", 8) + char(orientation) +
                           std::string("\0\0\0\0\0\0\0", 7);
  const std::string body = std::string("Exif\0\0", 6) + tiff;
  const size_t length = body.size() + 2;
  return jpeg.substr(0, 2) + "\xFF\xE1" + char(length >> 8) + char(length & 0xFF) + body +
         jpeg.substr(2);
}

// The frame header's size changed (the data stays as it was).
inline std::string WithSize(std::string jpeg, int width, int height) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (uint8_t(jpeg[i]) == 0xFF && (uint8_t(jpeg[i + 1]) == 0xC0 || uint8_t(jpeg[i + 1]) == 0xC2)) {
      jpeg[i + 5] = char(height >> 8);
      jpeg[i + 6] = char(height & 0xFF);
      jpeg[i + 7] = char(width >> 8);
      jpeg[i + 8] = char(width & 0xFF);
      break;
    }
  return jpeg;
}

// Writes each file (name, bytes) into the folder; false, after a message, when one cannot be.
inline bool WriteFiles(const std::string& folder,
                       const std::vector<std::pair<const char*, std::string>>& files) {
  for (const auto& [name, data] : files) {
    const std::string path = folder + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    const bool written = f && std::fwrite(data.data(), 1, data.size(), f) == data.size();
    if ((f && std::fclose(f) != 0) || !written) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace jpegcorpus
