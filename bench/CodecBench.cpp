// Reading pictures side by side with the reference libraries: GIF against giflib, PNG
// against a plain libpng read loop; JPEG files, real and of endless scans.
#include <benchmark/benchmark.h>

#include <png.h>
#include <QBuffer>
#include <QImage>

#include <csetjmp>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "../tests/codecs/GifCorpus.h"
#include "../tests/codecs/JpegCorpus.h"
#include "codecs/GIFImage.h"
#include "codecs/JpegPicture.h"
#include "codecs/PngImage.h"

namespace {

// A 640 x 480 picture of 256 colours with smooth areas, and a 1024 x 768 one of noise.
const std::string& PictureGif() {
  static const std::string data = [] {
    corpus::Gif g;
    g.Width = 640;
    g.Height = 480;
    g.GlobalColors = 256;
    corpus::Frame f;
    f.Width = 640;
    f.Height = 480;
    std::mt19937 rng(1);
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x)
        f.Pixels.push_back(uint8_t(((x / 3) ^ (y / 5)) + (rng() % 16 == 0 ? rng() % 4 : 0)));
    g.Frames.push_back(f);
    return corpus::WriteGiflib(g);
  }();
  return data;
}

const std::string& NoiseGif() {
  static const std::string data = corpus::WriteGiflib(corpus::OneFrame(1024, 768, 256, 2));
  return data;
}

const std::string& RgbPng() {
  static const std::string data = [] {
    QImage img(640, 480, QImage::Format_RGB888);
    std::mt19937 rng(3);
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x)
        img.setPixel(x, y, qRgb(x * 255 / 640, y * 255 / 480, int((x + y) % 64 + rng() % 8)));
    QByteArray ba;
    QBuffer buf(&ba);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return ba.toStdString();
  }();
  return data;
}

void OursGif(benchmark::State& state, const std::string& data) {
  for (auto _ : state) {
    gif::TGIFImage img;
    img.LoadFromData(data);
    benchmark::DoNotOptimize(img.Frame(0).Data().data());
  }
}

void GiflibGif(benchmark::State& state, const std::string& data) {
  for (auto _ : state) {
    std::vector<std::vector<uint8_t>> frames;
    corpus::ReadGiflib(data, frames);
    benchmark::DoNotOptimize(frames.data());
  }
}

void BM_Gif640x480_Ours(benchmark::State& s) { OursGif(s, PictureGif()); }
void BM_Gif640x480_Giflib(benchmark::State& s) { GiflibGif(s, PictureGif()); }
void BM_GifNoise1024x768_Ours(benchmark::State& s) { OursGif(s, NoiseGif()); }
void BM_GifNoise1024x768_Giflib(benchmark::State& s) { GiflibGif(s, NoiseGif()); }

void BM_Png640x480_Ours(benchmark::State& state) {
  for (auto _ : state) {
    auto* img = new pngimage::TPngImage;
    img->LoadFromStream(RgbPng());
    benchmark::DoNotOptimize(img->Pixels.data());
    img->Release();
  }
}

struct MemoryIn {
  const std::string* Data;
  size_t Pos;
};

void ReadMemory(png_structp png, png_bytep dst, size_t n) {
  auto* in = static_cast<MemoryIn*>(png_get_io_ptr(png));
  std::memcpy(dst, in->Data->data() + in->Pos, n);
  in->Pos += n;
}

void BM_Png640x480_Libpng(benchmark::State& state) {
  for (auto _ : state) {
    MemoryIn in{&RgbPng(), 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png)) == 0) {
      png_set_read_fn(png, &in, ReadMemory);
      png_read_info(png, info);
      png_read_update_info(png, info);
      const size_t rowBytes = png_get_rowbytes(png, info);
      const png_uint_32 h = png_get_image_height(png, info);
      pixels.resize(rowBytes * h);
      for (png_uint_32 y = 0; y < h; ++y) rows.push_back(pixels.data() + y * rowBytes);
      png_read_image(png, rows.data());
      png_read_end(png, info);
    }
    benchmark::DoNotOptimize(pixels.data());
    png_destroy_read_struct(&png, &info, nullptr);
  }
}

// A 640 x 480 picture; a flat 2048 x 2048 progressive one whose last scan is repeated 1200
// times (72 KB), and one of 379 scans of one coefficient each (both refused).
void Jpeg(benchmark::State& state, const std::string& data) {
  for (auto _ : state) {
    try {
      benchmark::DoNotOptimize(codecs::DecodeJpeg(data.data(), data.size()));
    } catch (const codecs::EJpegError&) {
    }
  }
}
void BM_Jpeg640x480(benchmark::State& s) {
  static const std::string data = jpegcorpus::Write({640, 480});
  Jpeg(s, data);
}
void BM_JpegRepeatedScans2048(benchmark::State& s) {
  static const std::string data = jpegcorpus::RepeatLastScan(
      jpegcorpus::Write({2048, 2048, JCS_RGB, true, false, 0, false, true}), 1200);
  Jpeg(s, data);
}
void BM_JpegNarrowScans2048(benchmark::State& s) {
  static const std::string data =
      jpegcorpus::Write({2048, 2048, JCS_RGB, true, false, 0, true, true});
  Jpeg(s, data);
}
// Flat pictures of 1 + 14 * cycles scans of successive approximation over the whole picture
// (refused), and real progressive pictures at full chroma, Huffman- and arithmetic-coded:
// 48 megapixels (read; arithmetic-coded, refused within the work bound) and 16 (both read).
void BM_JpegApproximationCycles(benchmark::State& s) {
  const int size = int(s.range(0)), cycles = int(s.range(2));
  const std::string data = jpegcorpus::Write(
      {size, size, s.range(1) ? JCS_RGB : JCS_GRAYSCALE, true, false, 0, false, true, cycles});
  Jpeg(s, data);
}
void BM_JpegProgressiveFullChroma(benchmark::State& s) {
  const std::string data =
      jpegcorpus::Write({.Width = int(s.range(0)), .Height = int(s.range(1)), .Progressive = true,
                         .FullChroma = true, .Arithmetic = s.range(2) != 0, .Quality = 50});
  Jpeg(s, data);
}

}  // namespace

BENCHMARK(BM_JpegApproximationCycles)
    ->ArgNames({"size", "colour", "cycles"})
    ->Args({4096, 0, 14})
    ->Args({8192, 0, 14})
    ->Args({11000, 0, 14})
    ->Args({8192, 1, 14})
    ->Args({8192, 0, 19})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegProgressiveFullChroma)
    ->ArgNames({"width", "height", "arithmetic"})
    ->Args({8000, 6000, 0})
    ->Args({8000, 6000, 1})
    ->Args({4608, 3456, 0})
    ->Args({4608, 3456, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Jpeg640x480)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegRepeatedScans2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegNarrowScans2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gif640x480_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gif640x480_Giflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifNoise1024x768_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifNoise1024x768_Giflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Png640x480_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Png640x480_Libpng)->Unit(benchmark::kMillisecond);
