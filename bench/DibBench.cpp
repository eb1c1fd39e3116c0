// The DIB graphic and the surfaces side by side with Qt: reading a 1920 x 1080 24-bit BMP and
// an RLE8 one against Qt's BMP reader (ours both as read and as a drawable picture), and a
// 512 x 512 colour-keyed surface Draw against QPainter::drawImage of the same area (opaque,
// and with alpha, the nearest Qt has to a colour key).
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include "../tests/directx/DibFiles.h"
#include "directx/DIB.h"
#include "directx/DXDraws.h"

namespace {

const std::string& Bmp24() {
  static const std::string data = dibfiles::Write({1920, 1080, 24});
  return data;
}

const std::string& Rle8() {
  static const std::string data =
      dibfiles::Write({1920, 1080, 8, dibfiles::Header::Info, dibfiles::Comp::Rle8});
  return data;
}

void ReadOurs(benchmark::State& state, const std::string& data, bool toImage) {
  QByteArray bytes = QByteArray::fromRawData(data.data(), qsizetype(data.size()));
  for (auto _ : state) {
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    TDIB dib;
    dib.LoadFromStream(in);
    if (toImage) {
      QImage img = dib.ToImage();
      benchmark::DoNotOptimize(img.constBits());
    } else {
      benchmark::DoNotOptimize(dib.Image().PBits);
    }
  }
}

void ReadQt(benchmark::State& state, const std::string& data) {
  QByteArray bytes = QByteArray::fromRawData(data.data(), qsizetype(data.size()));
  for (auto _ : state) {
    QImage img = QImage::fromData(bytes, "BMP");
    benchmark::DoNotOptimize(img.constBits());
  }
}

void BM_Bmp24_1920x1080_Ours(benchmark::State& s) { ReadOurs(s, Bmp24(), false); }
void BM_Bmp24_1920x1080_OursToImage(benchmark::State& s) { ReadOurs(s, Bmp24(), true); }
void BM_Bmp24_1920x1080_Qt(benchmark::State& s) { ReadQt(s, Bmp24()); }
void BM_Rle8_1920x1080_Ours(benchmark::State& s) { ReadOurs(s, Rle8(), false); }
void BM_Rle8_1920x1080_OursToImage(benchmark::State& s) { ReadOurs(s, Rle8(), true); }
void BM_Rle8_1920x1080_Qt(benchmark::State& s) { ReadQt(s, Rle8()); }

void BM_KeyedDraw512_Ours(benchmark::State& state) {
  TDirectDraw dd;
  TDirectDrawSurface dest(&dd), sprite(&dd);
  dest.SetSize(640, 640);
  sprite.SetSize(512, 512);
  DDSURFACEDESC d;
  sprite.Lock(nullptr, d);
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x)
      reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch)[x] =
          (x / 16 + y / 16) % 3 == 0 ? 0 : uint32_t(x * 512 + y);
  sprite.Unlock();
  sprite.SetTransparentColor(0);
  for (auto _ : state) {
    dest.Draw(64, 64, &sprite, true);
    benchmark::DoNotOptimize(dest.DXResult());
  }
}

void QtDraw(benchmark::State& state, QImage::Format format) {
  QImage dest(640, 640, QImage::Format_RGB32);
  dest.fill(Qt::black);
  QImage sprite(512, 512, format);
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x)
      sprite.setPixel(x, y, (x / 16 + y / 16) % 3 == 0 ? 0u : 0xFF000000u | uint32_t(x * 512 + y));
  QPainter p(&dest);
  for (auto _ : state) {
    p.drawImage(64, 64, sprite);
    benchmark::DoNotOptimize(dest.constBits());
  }
}

void BM_Draw512_QPainterOpaque(benchmark::State& s) { QtDraw(s, QImage::Format_RGB32); }
void BM_Draw512_QPainterAlpha(benchmark::State& s) {
  QtDraw(s, QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

BENCHMARK(BM_Bmp24_1920x1080_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bmp24_1920x1080_OursToImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bmp24_1920x1080_Qt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rle8_1920x1080_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rle8_1920x1080_OursToImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rle8_1920x1080_Qt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyedDraw512_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Draw512_QPainterOpaque)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Draw512_QPainterAlpha)->Unit(benchmark::kMicrosecond);
