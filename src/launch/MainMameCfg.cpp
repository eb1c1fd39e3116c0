// The main window's side of MAME.CFG: where the file is, reading it into the option records
// when a profile opens, writing them back, and the menu of the emulator's text files.
#include <QAction>
#include <QMenu>
#include <algorithm>
#include <cstdio>

#include "frontend/main.h"
#include "launch/MameCfg.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "platform/Process.h"
#include "platform/Seams.h"

namespace {
const char* const kWriteError =
    "There was an error while writing to MAME.CFG.\r"
    "This may be due to sharing violations, read-only attributes or disk full.\r"
    "Please verify the cause and then try again.";

// A missing file reads as an empty one.
std::string ReadCfgText(const std::string& path) {
  std::string text;
  if (auto real = plat::ResolveNoCase(path)) plat::ReadWholeFile(*real, text);
  return text;
}
}  // namespace

std::string TMainFRM::MAMECfgFileName() const {
  return plat::PathForWrite(plat::WithSlash(EmulatorDir) + "MAME.CFG");
}

std::string TMainFRM::AddCurrentDirToPath(const std::string& path) {
  return mamecfg::AddCurrentDirToPath(path);
}

std::string TMainFRM::ReadMAMECfgTopKey(const std::string& key, const std::string& def) {
  return mamecfg::ReadTopKey(ReadCfgText(MAMECfgFileName()), key, def);
}

bool TMainFRM::WriteMAMECfgTopKey(const std::string& key, const std::string& value) {
  const std::string cfg = MAMECfgFileName();
  const std::string text = mamecfg::WriteTopKey(ReadCfgText(cfg), key, value);
  // The new text goes to the temporary copy first, which then replaces MAME.CFG in one step:
  // the old file stays whole until the copy is complete.
  const std::string temp = plat::WithSlash(EmulatorDir) + "$VRTEMP$" + ".CFG";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return true;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) {
    plat::RemoveFile(temp);
    return true;
  }
  if (std::rename(temp.c_str(), cfg.c_str()) != 0) return true;  // the copy stays for the user
  return false;
}

void TMainFRM::LoadMAMECfg() {
  const std::string text = ReadCfgText(MAMECfgFileName());
  MAMEConfig.emulate_three = mamecfg::ReadTopKey(text, "emulate_three", "no") == "YES" ? 1 : 0;
  plat::IniFile ini;
  ini.LoadFromText(text);
  mamecfg::ReadRecords(ini, MAMEDirectories, MAMEConfig);
  MAMEConfig.hiscorefile = plat::WithSlash(EmulatorDir) + "HISCORE.DAT";

  // The menu of the emulator's text files.
  TextFiles.clear();
  if (!EmulatorDir.empty()) CollectTextFiles(TextFiles, plat::WithSlash(EmulatorDir));
  std::sort(TextFiles.begin(), TextFiles.end(), [](const std::string& a, const std::string& b) {
    std::string ua = plat::UpperCase(a), ub = plat::UpperCase(b);
    return ua != ub ? ua < ub : a < b;
  });
  QList<QAction*> items = TextFilesSUB->actions();
  for (qsizetype i = items.size() - 1; i >= 0; --i) {
    TextFilesSUB->removeAction(items[i]);
    delete items[i];
  }
  if (TextFiles.empty()) {
    QAction* none = TextFilesSUB->addAction("<none>");
    none->setObjectName("MameTextFilesNoneOPT");
    none->setEnabled(false);
    return;
  }
  for (size_t i = 0; i < TextFiles.size(); ++i) {
    QString name = plat::FromLocal(plat::FileNameOf(TextFiles[i]));
    name.replace("&", "&&");  // a "&" of the name is shown, not taken as the mnemonic
    QString caption = TextFiles.size() < 10 ? "&" + QString::number(i) + ". " + name : name;
    QAction* a = TextFilesSUB->addAction(caption);
    a->setObjectName("File" + QString::number(i));
    connect(a, &QAction::triggered, this, [this]() {
      try {
        ShowMAMETextFile();
      } catch (...) {
      }
    });
  }
}

bool TMainFRM::SaveMAMECfg() {
  if (!ProfileLoaded) return true;
  bool failed = WriteMAMECfgTopKey("emulate_three", MAMEConfig.emulate_three ? "YES" : "NO");
  if (!failed) {
    plat::IniFile ini(MAMECfgFileName());
    failed = !ini.Load();
    if (!failed) {
      mamecfg::WriteRecords(ini, MAMEDirectories, MAMEConfig);
      failed = !ini.Save();
    }
  }
  if (failed) {
    ShowMessageBox(kWriteError, plat::MB_ICONERROR);
    return false;
  }
  return true;
}

void TMainFRM::ShowMAMETextFile() {
  QObject* s = sender();
  if (!s) return;
  QString name = s->objectName();
  bool ok = false;
  int index = name.mid(4).toInt(&ok);
  if (!ok || index < 0 || static_cast<size_t>(index) >= TextFiles.size()) return;
  OpenInTextEditor(TextFiles[static_cast<size_t>(index)]);
}
