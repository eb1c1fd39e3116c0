// The main window's side of the emulator's data files and of the profile-information and
// romset-detail reports: the file names from MAME.CFG, the progress window and the report
// window around the documents that Reports.cpp builds.
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>

#include "database/Report.h"
#include "frontend/DataFiles.h"
#include "frontend/Reports.h"
#include "frontend/WorkingProgress.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"

namespace {

// The file's last-write date and time in the system's short date and long time formats.
std::string FileDateTime(const std::string& path) {
  const QDateTime when = QFileInfo(QString::fromStdString(path)).lastModified();
  const QLocale locale = QLocale::system();
  QString timeFormat = locale.timeFormat(QLocale::LongFormat);
  timeFormat.remove(QLatin1Char('t'));  // no time zone, as the system's long time has none
  const QString text = locale.toString(when.date(), QLocale::ShortFormat) + " - " +
                       locale.toString(when.time(), timeFormat.trimmed());
  return plat::ToAnsi(text);
}

}  // namespace

std::string TMainFRM::DataFileName(const std::string& name) const {
  return datafiles::ResolveDataFile(EmulatorDir, name);
}

std::string TMainFRM::ReadHiscoreEntry(const std::string& FileName, const std::string& SetName) {
  return datafiles::ReadHiscoreEntry(datafiles::ReadDataFile(DataFileName(FileName)), SetName);
}

std::string TMainFRM::FormatHiscoreArea(const std::string& line) {
  return datafiles::FormatHiscoreArea(line);
}

std::string TMainFRM::ReadInfoFileEntry(const std::string& FileName, const std::string& SetName,
                                        const std::string& Part) {
  return datafiles::ReadInfoFileEntry(datafiles::ReadDataFile(DataFileName(FileName)), SetName,
                                      Part);
}

std::string TMainFRM::ReadCheatEntries(const std::string& SetName) {
  return datafiles::ReadCheatEntries(
      datafiles::ReadDataFile(DataFileName(MAMEConfig.cheatfile)), SetName);
}

std::string TMainFRM::HexByteToBits(const std::string& hex) {
  return datafiles::HexByteToBits(hex);
}

namespace {

void ShowDocument(TMainFRM& main, const reports::Document& doc, WorkingProgress& working) {
  TReportFRM report(&main);
  report.NewDocument(doc.title, doc.fileName, true, true);
  bool first = true;
  reports::Style current = reports::Style::Body;
  for (const reports::Line& line : doc.lines) {
    if (first || line.style != current) {
      const bool wasTitle = !first && current == reports::Style::Title;
      current = line.style;
      switch (current) {
        case reports::Style::Title:
          report.SetParagraph(2, false);
          report.TitleFont(main.BoldFontSize + 4);
          break;
        case reports::Style::Heading:
          if (wasTitle || first) report.SetParagraph(0, false);
          report.HeadingFont(main.BoldFontSize);
          break;
        case reports::Style::Body:
          if (wasTitle || first) report.SetParagraph(0, false);
          report.BodyFont(main.NormalFontSize);
          break;
      }
      first = false;
    }
    report.AddLine(line.text);
  }
  working.Hide();
  main.SetIdleCursor(true);
  if (!doc.problems.empty()) {
    std::string text;
    for (const std::string& p : doc.problems) text += (text.empty() ? "" : "\r\r") + p;
    main.ShowMessageBox(text, plat::MB_ICONERROR);
  }
  report.ShowReport();
}

}  // namespace

void TMainFRM::FileProfileInfoACTNExecute() {
  if (!Games) return;
  WorkingProgress working(this, "Scanning database...", 0);
  reports::ProfileFacts facts;
  facts.programDir = ProgramDir;
  facts.profileFile = ProfileFileName;
  if (!ProfileFileName.empty() && plat::FileExists(ProfileFileName))
    facts.creationDate = FileDateTime(ProfileFileName);
  facts.executable = EmulatorDir + EmulatorExe;
  facts.version = EmulatorVersion;
  facts.games = Games.get();
  facts.resources = Resources.get();
  facts.find = [this](std::string_view name) -> const GameRecord* {
    return FindGameByName(std::string(name));
  };
  const reports::Document doc = reports::ProfileInfo(
      facts, [&working](size_t done, size_t total) { working.Set(done + 1, total); });
  ShowDocument(*this, doc, working);
}

void TMainFRM::MameRomsetDetailACTNExecute() {
  if (!SelectedGame) return;
  WorkingProgress working(this, "Preparing report...", -1);
  reports::RomsetFacts facts;
  facts.programDir = ProgramDir;
  facts.game = SelectedGame;
  facts.games = Games.get();
  facts.quickInfo = BuildQuickInfo(SelectedGame);
  facts.files.hiscore = DataFileName(MAMEConfig.hiscorefile);
  facts.files.history = DataFileName(MAMEConfig.historyfile);
  facts.files.mameinfo = DataFileName(MAMEConfig.mameinfofile);
  facts.files.cheat = DataFileName(MAMEConfig.cheatfile);
  ShowDocument(*this, reports::RomsetDetail(facts), working);
}
