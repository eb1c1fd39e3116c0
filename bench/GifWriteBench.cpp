// Writing GIF files side by side with giflib's EGifSpew of the same data: a 640 x 480 8-bit
// picture and a 50-frame 320 x 240 animation.
#include <benchmark/benchmark.h>

#include <gif_lib.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "../tests/codecs/GifCorpus.h"
#include "codecs/GIFImage.h"

namespace {

struct Frames {
  int Width, Height;
  std::vector<std::vector<uint8_t>> Pixels;
};

// Smooth areas with some noise, moving from frame to frame.
Frames Make(int w, int h, int count) {
  Frames f{w, h, {}};
  std::mt19937 rng(7);
  for (int n = 0; n < count; ++n) {
    std::vector<uint8_t> p(size_t(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        p[size_t(y) * w + x] =
            uint8_t((((x + 3 * n) / 3) ^ (y / 5)) + (rng() % 16 == 0 ? rng() % 4 : 0));
    f.Pixels.push_back(std::move(p));
  }
  return f;
}

const Frames& Picture() {
  static const Frames f = Make(640, 480, 1);
  return f;
}
const Frames& Animation() {
  static const Frames f = Make(320, 240, 50);
  return f;
}

// The same pictures in our model: a 256-colour global table, a delay on each frame of an
// animation.
std::unique_ptr<gif::TGIFImage> Model(const Frames& f) {
  auto image = std::make_unique<gif::TGIFImage>();
  image->Header.Width = uint16_t(f.Width);
  image->Header.Height = uint16_t(f.Height);
  for (int i = 0; i < 256; ++i)
    image->Header.ColorMap.Add({corpus::Channel(0, i, 0), corpus::Channel(0, i, 1),
                                corpus::Channel(0, i, 2)});
  for (const auto& pixels : f.Pixels) {
    auto frame = std::make_unique<gif::TGIFSubImage>(image.get());
    frame->Width = uint16_t(f.Width);
    frame->Height = uint16_t(f.Height);
    frame->Data() = pixels;
    if (f.Pixels.size() > 1) {
      auto g = std::make_unique<gif::TGIFGraphicControlExtension>(frame.get());
      g->Delay = 5;
      frame->Extensions.push_back(std::move(g));
    }
    image->Add(std::move(frame));
  }
  return image;
}

void Ours(benchmark::State& state, const Frames& f) {
  auto image = Model(f);
  size_t bytes = 0;
  for (auto _ : state) {
    std::string out;
    image->SaveToStream(out);
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = double(bytes);
}

void Giflib(benchmark::State& state, const Frames& f) {
  size_t bytes = 0;
  for (auto _ : state) {
    std::string out;
    int err = 0;
    GifFileType* gif = EGifOpen(&out, corpus::WriteToString, &err);
    gif->SWidth = f.Width;
    gif->SHeight = f.Height;
    gif->SColorResolution = 8;
    gif->SBackGroundColor = 0;
    gif->SColorMap = corpus::Map(0, 256);
    for (size_t i = 0; i < f.Pixels.size(); ++i) {
      SavedImage* s = GifMakeSavedImage(gif, nullptr);
      s->ImageDesc = {0, 0, f.Width, f.Height, false, nullptr};
      s->RasterBits = static_cast<GifByteType*>(std::malloc(f.Pixels[i].size()));
      std::memcpy(s->RasterBits, f.Pixels[i].data(), f.Pixels[i].size());
      if (f.Pixels.size() > 1) {
        GraphicsControlBlock gcb{};
        gcb.DelayTime = 5;
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        EGifGCBToSavedExtension(&gcb, gif, int(i));
      }
    }
    EGifSpew(gif);
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = double(bytes);
}

void BM_GifWrite640x480_Ours(benchmark::State& s) { Ours(s, Picture()); }
void BM_GifWrite640x480_Giflib(benchmark::State& s) { Giflib(s, Picture()); }
void BM_GifWriteAnimation50x320x240_Ours(benchmark::State& s) { Ours(s, Animation()); }
void BM_GifWriteAnimation50x320x240_Giflib(benchmark::State& s) { Giflib(s, Animation()); }

}  // namespace

BENCHMARK(BM_GifWrite640x480_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifWrite640x480_Giflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifWriteAnimation50x320x240_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifWriteAnimation50x320x240_Giflib)->Unit(benchmark::kMillisecond);
