// Filling a large report through the report protocol and showing it.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <QApplication>
#include <cstdio>
#include <string>

#include "database/Report.h"
#include "platform/Files.h"
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

// One line of `range(0)` KB without a blank or a line end, shown in a report; range(1) picks
// the road: 0 AddText (emulator output), 1 AddLine (data-file texts), 2 LoadDocument (a file).
void BM_ReportLongLine(benchmark::State& state) {
  BenchApplication();
  ShowOnceSeam seam;
  plat::SetUi(&seam);
  std::string text;
  text.reserve(static_cast<size_t>(state.range(0)) << 10);
  for (size_t i = 0; text.size() < (static_cast<size_t>(state.range(0)) << 10); ++i)
    text += static_cast<char>('a' + i % 26);
  const std::string file = BenchHome() + "long_line.txt";
  if (state.range(1) == 2) plat::WriteFileAtomic(file, text);
  for (auto _ : state) {
    TReportFRM report;
    if (state.range(1) == 2) {
      report.NewDocument("Velmora - long_line.txt", file, true, true);
      report.LoadDocument();
    } else {
      report.NewDocument("Velmora - MAME text output", BenchHome() + "MAME_output", true, true);
      report.SetTextFont("Courier New", Qt::black, 10, TReportFRM::fsBold);
      report.AddLine("$ mame");
      if (state.range(1) == 0)
        report.AddText(text);
      else
        report.AddLine(text);
    }
    benchmark::DoNotOptimize(report.ShowReport());
  }
  plat::RemoveFile(file);
  plat::SetUi(nullptr);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReportLongLine)
    ->ArgsProduct({{64, 256, 1024, 5120}, {0, 1, 2}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
