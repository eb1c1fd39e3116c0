// Writes the JPEG fuzz seeds into a folder: make_jpeg_seeds fuzz/corpus/jpeg
#include <cstdio>
#include <string>

#include "codecs/JpegCorpus.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_jpeg_seeds FOLDER\n");
    return 2;
  }
  using jpegcorpus::Spec;
  const std::string progressive = jpegcorpus::Write({12, 10, JCS_RGB, true});
  return jpegcorpus::WriteFiles(argv[1], {
      {"colour.jpg", jpegcorpus::Write({12, 10})},
      {"grey.jpg", jpegcorpus::Write({9, 7, JCS_GRAYSCALE})},
      {"cmyk.jpg", jpegcorpus::Write({8, 8, JCS_CMYK})},
      {"ycck-restarts.jpg", jpegcorpus::Write({17, 9, JCS_YCCK, false, true, 1})},
      {"progressive.jpg", progressive},
      {"repeated-scan.jpg", jpegcorpus::RepeatLastScan(progressive, 3)},
      {"orientation.jpg", jpegcorpus::WithOrientation(jpegcorpus::Write({8, 8}), 6)},
      {"arithmetic-progressive.jpg",
       jpegcorpus::Write({.Width = 12, .Height = 10, .Progressive = true, .Arithmetic = true})},
      {"approximation-cycles.jpg",
       jpegcorpus::Write({16, 16, JCS_GRAYSCALE, true, false, 0, false, true, 2})},
  }) ? 0 : 1;
}
