// The pre-launch test of a game's unpacked sets, with its "not runnable" report.
#include <QColor>
#include <QLabel>
#include <algorithm>
#include <memory>

#include "database/Report.h"
#include "database/Working.h"
#include "frontend/main.h"
#include "launch/RomTest.h"
#include "launch/Unpack.h"
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
  // A set that did not unpack whole is never run, whatever the test found.
  const bool unpacked = !launch::UnpackFailed(errors);
  const bool ok = unpacked && r.romsOk && r.samplesOk;
  if (ok) return true;
  std::string text;
  if (unpacked) {
    text = "This game does not meet the minimum requirements specified in the\r"
           "preferences window. ";
  } else {
    // The first few errors; the report holds them all.
    text = "The game's sets could not be unpacked without errors:\r";
    size_t at = 0;
    for (int lines = 0; at < errors.size() && lines < 5; ++lines) {
      const size_t end = std::min(errors.find("\r\n", at), errors.size());
      text += errors.substr(at, end - at) + "\r";
      at = end + 2;
    }
    if (at < errors.size()) text += "...\r";
  }
  if (ShowMessageBox(text + "MAME won't be run.\r\rDo you want to view a detailed report?",
                     plat::MB_YESNO | plat::MB_ICONWARNING) == plat::IDYES)
    report->ShowReport();
  return false;
}
