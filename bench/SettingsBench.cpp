// Reading the settings file with N picture tabs into the main window (the tabs of
// [ScreenshotTabs], their tab widget and the rest of the file); the time per tab stays flat.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <QApplication>

#include "frontend/main.h"
#include "platform/Files.h"
#include "platform/Seams.h"

namespace {

// Messages are counted and answered at once.
class CountingSeam : public plat::Seam {
 public:
  int MessageBox(QWidget*, const std::string&, const std::string&, unsigned) override {
    ++count;
    return plat::IDOK;
  }
  int count = 0;
};

void BM_LoadPictureTabs(benchmark::State& state) {
  BenchApplication();
  CountingSeam seam;
  plat::SetUi(&seam);
  static TMainFRM* f = nullptr;
  if (!f) f = new TMainFRM();
  const int64_t tabs = state.range(0);
  std::string ini = "[ScreenshotTabs]\r\n";
  for (int64_t i = 0; i < tabs; ++i)
    ini += "Pictures " + std::to_string(i) + "=" + BenchHome() + "pictures/" + std::to_string(i) +
           "/\r\n";
  ini += "\r\n[Screenshots]\r\nScreenshotDisplay=0\r\n";
  plat::WriteFileAtomic(f->SettingsFileName, ini);
  for (auto _ : state) {
    f->LoadSettings();
    benchmark::DoNotOptimize(f->PictureTabs.size());
  }
  state.counters["shown"] = static_cast<double>(f->PictureTabs.size());
  state.counters["warned"] = seam.count > 0 ? 1 : 0;
  state.SetComplexityN(tabs);
  plat::SetUi(nullptr);
}
BENCHMARK(BM_LoadPictureTabs)
    ->Arg(500)->Arg(2000)->Arg(10000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace
