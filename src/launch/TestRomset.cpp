// The pre-launch test of a game's unpacked sets, with its "not runnable" report.
#include <QColor>
#include <QLabel>
#include <memory>

#include "database/Report.h"
#include "database/Working.h"
#include "frontend/main.h"
#include "launch/RomTest.h"
#include "platform/SafeName.h"
#include "platform/Seams.h"

bool TMainFRM::TestRomset(GameRecord* game, const std::string& errors) {
  if (!game) return false;
  auto operation = [](const char* text) {
    if (!WorkingFRM) return;
    WorkingFRM->Operation->setText(text);
    plat::ProcessPendingEvents();
  };
  if (WorkingFRM) {
    WorkingFRM->Operation->setText("Testing rom set...");
    WorkingFRM->SetProgress(0);
    WorkingFRM->show();
  }
  SetIdleCursor(false);

  auto report = std::make_unique<TReportFRM>(this);
  report->NewDocument("Velmora - Game not runnable report",
                      plat::NameInFolder(ProgramDir, game->Name.str() + "_not_runnable_report")
                          .value_or(ProgramDir + "not_runnable_report"),
                      true, true);
  report->AddTitle("Not runnable game description", BoldFontSize + 4, NormalFontSize);
  report->AddLine(BuildQuickInfo(game));
  report->AddLine("");
  if (!errors.empty()) report->AddLine(errors);

  launch::RomTestOptions o;
  o.checkCrc = CheckCRCOnRun;
  o.createFakeFiles = CreateFakeFiles;
  o.checkSamples = CheckSamplesOnRun;
  o.physicalMemory = launch::PhysicalMemory();
  o.operation = operation;
  o.progress = [](int32_t p) { if (WorkingFRM) WorkingFRM->SetProgress(p); };
  o.randomByte = [] { return static_cast<uint8_t>(plat::Ui().Random(256)); };
  launch::RomTestResult r = launch::TestSet(*game, EmulatorDir + "$VRTEMP$/", o);

  auto listing = [&](const std::string& title, const std::string& text) {
    report->AddLine("");
    report->HeadingFont(BoldFontSize);
    if (text.empty()) return;
    report->AddLine(title);
    report->BodyFont(NormalFontSize);
    report->AddLine(text);
  };
  for (const std::string& line : r.romLines) report->AddLine(line);
  if (!r.romsOk) {
    std::string roms;
    AddRomInfo(game, roms);
    listing("Rom files required by MAME (name/crc/size/area/bank):", roms);
  }
  report->AddLine("");
  for (const std::string& line : r.sampleLines) report->AddLine(line);
  if (!r.samplesOk) {
    std::string samples;
    AddSampleInfo(game, samples);
    listing("Sample set:", samples);
  }

  if (WorkingFRM) WorkingFRM->hide();
  SetIdleCursor(true);
  const bool ok = r.romsOk && r.samplesOk;
  if (!ok &&
      ShowMessageBox("This game does not meet the minimum requirements specified in the\r"
                     "preferences window. MAME won't be run.\r\r"
                     "Do you want to view a detailed report?",
                     plat::MB_YESNO | plat::MB_ICONWARNING) == plat::IDYES)
    report->ShowReport();
  return ok;
}
