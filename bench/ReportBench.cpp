// Filling a large report through the report protocol and showing it.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <QApplication>
#include <cstdio>
#include <string>

#include "database/Report.h"
#include "platform/Seams.h"

namespace {

void BM_ReportFillAndShow(benchmark::State& state) {
  BenchApplication();
  ShowOnceSeam seam;
  plat::SetUi(&seam);
  const int lines = static_cast<int>(state.range(0));
  for (auto _ : state) {
    TReportFRM report;
    report.NewDocument("Profile report", "/tmp/profile_report", true, true);
    for (int i = 0; i < lines; ++i) {
      if (i % 100 == 0) {
        report.SetParagraph(0, false);
        report.SetTextFont("Times New Roman", Qt::black, 12,
                           TReportFRM::fsBold | TReportFRM::fsItalic);
        report.AddLine("Section " + std::to_string(i / 100));
        report.SetTextFont("Courier New", Qt::black, 10, 0);
      } else {
        char line[96];
        std::snprintf(line, sizeof line, "G%-7d %-30s %5d", i, "Some description", i);
        report.AddLine(line);
      }
    }
    benchmark::DoNotOptimize(report.ShowReport());
  }
  plat::SetUi(nullptr);
  state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(BM_ReportFillAndShow)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
