// The verification report's header and closing resume.
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "verify/Verify.h"

namespace verify {

const char* YesNo(bool flag) { return flag ? "Yes" : "No"; }

std::string FormatElapsed(int64_t ms) {
  if (ms < 0) ms = 0;
  const int64_t s = ms / 1000;
  char b[32];
  std::snprintf(b, sizeof b, "%02lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  return b;
}

void WriteReportHeader(TTextStream& report, const ReportHeaderInfo& info) {
  const std::string title = "Velmora verification report";
  report.WriteLn(std::string(title.size() < 80 ? (80 - title.size()) / 2 : 0, ' ') + title);
  report.WriteLn(std::string(80, '='));
  report.WriteLn(" ");
  report.WriteLn("Profile: .................." + info.ProfileFileName);
  if (!info.ProfileFileName.empty() && plat::FileExists(info.ProfileFileName)) {
    const QDateTime t = QFileInfo(plat::FromLocal(info.ProfileFileName)).lastModified();
    const QLocale locale = QLocale::system();
    report.WriteLn("Creation date: ............" +
                   plat::ToAnsi(locale.toString(t.date(), QLocale::ShortFormat)) + " - " +
                   plat::ToAnsi(locale.toString(t.time(), QLocale::LongFormat)));
  }
  report.WriteLn("MAME executable file: ....." + info.EmulatorDir + info.EmulatorExe);
  report.WriteLn("MAME version: ............." + info.EmulatorVersion);
  report.WriteLn("Romsets supported: ........" + std::to_string(info.Games));
  report.WriteLn("Resources needed: ........." + std::to_string(info.Resources));
  report.WriteLn(std::string(80, '-'));
  report.WriteLn(" ");
}

void WriteReportResume(TTextStream& report, const VerifyOptions& o, const VerifyCounters& c,
                       const std::string& elapsed, uint8_t passCount) {
  report.WriteLn(" ");
  report.WriteLn(std::string(80, '-'));
  report.WriteLn(" ");
  report.WriteLn("Option settings resume:");
  auto opt = [&](const char* label, bool value) {
    report.WriteLn(std::string(label) + YesNo(value));
  };
  opt("Verify romsets: ........................", o.VerifyRoms);
  opt("Verify roms of clone sets: .............", o.RomClones);
  opt("Report \"no good dump\" missing files: ...", o.NoGoodDump != 0);
  opt("Report \"rom needs redump\" files: .......", o.ReportRedumps);
  opt("Skip sets with no rom files: ...........", o.SkipNotPresent);
  opt("Verify sample sets: ....................", o.VerifySamples);
  opt("Verify sample sets quality: ............", o.VerifySampleQuality);
  opt("Verify images: .........................", o.VerifyImages);
  opt("Check images in clone sets: ............", o.ScreenshotDetail);
  opt("Report unused files in sets: ...........", o.ReportUnused);
  opt("Report unsupported sets: ...............", o.ReportUnsupported);
  report.WriteLn(" ");
  report.WriteLn("Verification report resume:");
  auto count = [&](const char* label, int32_t value) {
    report.WriteLn(std::string(label) + std::to_string(value));
  };
  if (o.VerifyRoms) {
    count("Total missing rom files: ...............", c.MissingRomCount);
    count("Total corrupt rom files: ...............", c.CorruptRomCount);
    count("Total misspelled rom files: ...........", c.MissSpelledCount);
    count("Total faulty sets: .....................", c.FaultySetCount);
    if (o.NoGoodDump == 1) count("Total \"no good dump\" missing files: ....", c.NoGoodDumpCount);
    if (o.NoGoodDump == 2) count("Total \"no good dump\" files present: ....", c.NoGoodDumpCount);
    if (o.NoGoodDump == 3) count("Total \"no good dump\" files: ............", c.NoGoodDumpCount);
  }
  if (o.VerifySamples) count("Total missing samples: .................", c.MissingSampleCount);
  if (o.SkipNotPresent) count("Total skipped sets: ....................", c.SkippedCount);
  if (o.VerifyImages) count("Total missing images: ..................", c.MissingImageCount);
  if (o.ReportUnsupported) count("Total unsupported sets: ................", c.UnsupportedCount);
  report.WriteLn("Time needed to accomplish the test: ...." + elapsed);
  report.WriteLn("Passes done in the whole test: ........." + std::to_string(passCount));
}

}  // namespace verify
