// Drawing metafiles: a 100 x 50 one; a few hundred bytes whose box is 32767 units square at
// 1,440 units an inch, filled once (drawn smaller) and 24 times (refused); 20,000 fills of a
// small box and 300,000 records that draw nothing (both refused).
#include <benchmark/benchmark.h>

#include <QImage>

#include "../tests/codecs/WmfCorpus.h"
#include "BenchSupport.h"
#include "codecs/PictureFormats.h"
#include "platform/Files.h"

namespace {

void Draw(benchmark::State& state, const char* name, const std::string& data) {
  if (!codecs::HaveMetafiles()) {
    state.SkipWithError("no libwmf");
    return;
  }
  const std::string path = BenchHome() + name;
  plat::WriteFileAtomic(path, data);
  for (auto _ : state) {
    QImage image;
    std::string error;
    benchmark::DoNotOptimize(codecs::LoadPicture(path, image, error));
  }
}

void BM_Metafile100x50(benchmark::State& s) {
  Draw(s, "small.wmf", wmfcorpus::Metafile(100, 50, 96, 1));
}
void BM_MetafileHugeBoxOneFill(benchmark::State& s) {
  Draw(s, "huge1.wmf", wmfcorpus::Metafile(32767, 32767, 1440, 1));
}
void BM_MetafileHugeBox24Fills(benchmark::State& s) {
  Draw(s, "huge24.wmf", wmfcorpus::Metafile(32767, 32767, 1440, 24));
}
void BM_Metafile20000Fills(benchmark::State& s) {
  Draw(s, "fills.wmf", wmfcorpus::Metafile(100, 50, 96, 20000));
}
void BM_Metafile300000Records(benchmark::State& s) {
  Draw(s, "records.wmf", wmfcorpus::Metafile(100, 50, 96, 1, 300000));
}

}  // namespace

BENCHMARK(BM_Metafile100x50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileHugeBoxOneFill)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileHugeBox24Fills)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Metafile20000Fills)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Metafile300000Records)->Unit(benchmark::kMillisecond);
