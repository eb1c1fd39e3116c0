// Writes the JPEG files the picture panel is measured with into a folder: make_jpeg_files
// FOLDER. Scans of successive approximation over the whole picture again and again (1 + 14 *
// cycles scans, a few KB), flat 48-megapixel pictures as the library writes them
// (progressive at full chroma, CMYK progressive and sequential), flat progressive pictures at
// full chroma of 55 megapixels, Huffman- and arithmetic-coded, and progressive CMYK ones of
// 40 to 46 megapixels.
#include <cstdio>
#include <string>

#include "codecs/JpegCorpus.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_jpeg_files FOLDER\n");
    return 2;
  }
  using jpegcorpus::Spec;
  auto cycles = [](int w, int h, J_COLOR_SPACE space, int n) {
    return jpegcorpus::Write({w, h, space, true, false, 0, false, true, n});
  };
  return jpegcorpus::WriteFiles(argv[1], {
      {"cycles-grey-4096.jpg", cycles(4096, 4096, JCS_GRAYSCALE, 14)},
      {"cycles-grey-8192.jpg", cycles(8192, 8192, JCS_GRAYSCALE, 14)},
      {"cycles-grey-11000.jpg", cycles(11000, 11000, JCS_GRAYSCALE, 14)},
      {"cycles-colour-8192.jpg", cycles(8192, 8192, JCS_RGB, 14)},
      {"cycles-260-grey-8192.jpg", cycles(8192, 8192, JCS_GRAYSCALE, 19)},
      {"progressive-flat-8000x6000-444.jpg",
       jpegcorpus::Write({8000, 6000, JCS_RGB, true, true, 0, false, true})},
      {"progressive-flat-8000x6000-cmyk.jpg",
       jpegcorpus::Write({8000, 6000, JCS_CMYK, true, true, 0, false, true})},
      {"flat-8000x6000-cmyk.jpg",
       jpegcorpus::Write({8000, 6000, JCS_CMYK, false, true, 0, false, true})},
      {"progressive-flat-7440x7440-444.jpg",
       jpegcorpus::Write({7440, 7440, JCS_RGB, true, true, 0, false, true})},
      {"progressive-flat-7440x7440-444-arithmetic.jpg",
       jpegcorpus::Write({.Width = 7440, .Height = 7440, .Progressive = true, .FullChroma = true,
                          .Flat = true, .Arithmetic = true})},
      {"progressive-flat-7300x5480-cmyk.jpg",
       jpegcorpus::Write({7300, 5480, JCS_CMYK, true, true, 0, false, true})},
      {"progressive-flat-7660x5744-cmyk.jpg",
       jpegcorpus::Write({7660, 5744, JCS_CMYK, true, true, 0, false, true})},
      {"progressive-flat-7800x5900-cmyk.jpg",
       jpegcorpus::Write({7800, 5900, JCS_CMYK, true, true, 0, false, true})},
  }) ? 0 : 1;
}
