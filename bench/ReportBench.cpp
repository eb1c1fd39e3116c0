// Filling a large report through the report protocol and showing it.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <QApplication>
#include <QTextDocument>
#include <QTextEdit>
#include <cstdio>
#include <string>

#include "database/Report.h"
#include "platform/Files.h"
#include "platform/Rtf.h"
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

namespace {

// Peak memory of the process so far, in MB.
double PeakMb() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  long kb = 0;
  while (std::fgets(line, sizeof line, f))
    if (std::sscanf(line, "VmHWM: %ld", &kb) == 1) break;
  std::fclose(f);
  return kb / 1024.0;
}

// A document of `size` bytes in the worst shapes for the window: range(0) picks 0 empty LF
// lines, 1 empty CR LF lines, 2 RTF paragraphs, 3 RTF bullet items, 4 RTF fonts and colours
// (a table of 60,000 each, every word in another), 5 RTF with a format change on every letter,
// 6 lines of 40 letters (the most text at the bound on lines), 7 RTF of 1,000 missing faces,
// every word in a new face and size, 8 RTF of huge words ("W " at 1,638 points), 9 RTF of
// paragraphs of one huge letter.
std::string WorstDocument(int64_t shape, size_t size) {
  std::string s;
  s.reserve(size + 64);
  auto fill = [&](const std::string& unit) {
    while (s.size() + unit.size() + 1 < size) s += unit;
  };
  switch (shape) {
    case 0: fill("\n"); return s;
    case 1: fill("\r\n"); return s;
    case 2: s = "{\\rtf1 "; fill("\\par "); break;
    case 3: s = "{\\rtf1 \\pard{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}"; fill("a\\par "); break;
    case 4: {
      const int kFonts = 60000;
      s = "{\\rtf1{\\fonttbl";
      for (int i = 0; i < kFonts; ++i) s += "{\\f" + std::to_string(i) + " F" + std::to_string(i) + ";}";
      s += "}{\\colortbl;";
      for (int i = 0; i < kFonts; ++i)
        s += "\\red" + std::to_string(i & 255) + "\\green" + std::to_string(i >> 8) + "\\blue1;";
      s += "}";
      for (int i = 0; s.size() + 32 < size; ++i)
        s += "\\f" + std::to_string(i % kFonts) + "\\cf" + std::to_string(i % kFonts + 1) + " w ";
      break;
    }
    case 5: s = "{\\rtf1 "; fill("\\b a\\b0 b"); break;
    case 7: {
      s = "{\\rtf1{\\fonttbl";
      for (int i = 0; i < 1000; ++i) s += "{\\f" + std::to_string(i) + " Missing " + std::to_string(i) + ";}";
      s += "}";
      for (int i = 0; i < 49999 && s.size() + 32 < size; ++i)
        s += "\\f" + std::to_string(i % 1000) + "\\fs" + std::to_string(2 + i / 1000 * 2 + i % 2) + " w ";
      break;
    }
    case 8: s = "{\\rtf1\\fs3276 "; fill("W "); break;
    case 9: s = "{\\rtf1\\fs3276 "; fill("W\\par "); break;
    default: fill(std::string(40, 'x') + "\r\n"); return s;
  }
  return s + "}";
}

// A document at the window's bound opened read-only, as a FAQ is, shown and laid out to its end.
void BM_ReportDocumentAtBound(benchmark::State& state) {
  BenchApplication();
  ShowOnceSeam seam;
  plat::SetUi(&seam);
  const std::string file =
      BenchHome() + (state.range(0) < 2 || state.range(0) == 6 ? "bound.txt" : "bound.rtf");
  plat::WriteFileAtomic(file, WorstDocument(state.range(0), size_t(state.range(1)) << 10));
  int blocks = 0;
  for (auto _ : state) {
    TReportFRM report;
    report.NewDocument("Velmora - bound", file, true, true);
    report.LoadDocument();
    report.show();
    report.Doc->moveCursor(QTextCursor::End);  // lays the document out to its end
    QApplication::processEvents();
    blocks = report.Doc->document()->blockCount();
    report.hide();
  }
  plat::RemoveFile(file);
  plat::SetUi(nullptr);
  state.counters["blocks"] = blocks;
  state.counters["peak_MB"] = PeakMb();
}
BENCHMARK(BM_ReportDocumentAtBound)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {4096}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The emulator's output as shown at its bound on lines: lines of 40 letters (range(0) = 0, the
// most text at that bound) or empty ones (1).
void BM_ReportOutputAtBound(benchmark::State& state) {
  BenchApplication();
  ShowOnceSeam seam;
  plat::SetUi(&seam);
  std::string out;
  const std::string line = state.range(0) ? "\n" : std::string(40, 'x') + "\n";
  for (int i = 0; i < plat::kMaxDocumentLines; ++i) out += line;
  for (auto _ : state) {
    TReportFRM report;
    report.NewDocument("Velmora - MAME text output", BenchHome() + "MAME_output", true, true);
    report.AddLine("$ mame");
    report.AddText(out);
    report.show();
    report.Doc->moveCursor(QTextCursor::End);
    QApplication::processEvents();
    report.hide();
  }
  plat::SetUi(nullptr);
  state.counters["peak_MB"] = PeakMb();
}
BENCHMARK(BM_ReportOutputAtBound)->DenseRange(0, 1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
