// The main window's side of MAME.CFG: where the file is, reading it into the option records
// when a profile opens, writing them back, and the menu of the emulator's text files.
#include <QAction>
#include <QMenu>
#include <algorithm>

#include "frontend/main.h"
#include "launch/MameCfg.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "platform/Process.h"
#include "platform/Seams.h"

namespace {
std::string WriteErrorMessage(const std::string& path, const std::string& error) {
  return "There was an error while writing to MAME.CFG:\r" + path + "\r(" + error +
         ")\r\rThe options were not saved. Please correct the cause and then try again.";
}

// A missing file reads as an empty one; a file that exists but cannot be read gives false.
bool ReadCfgText(const std::string& path, std::string& text, std::string* error = nullptr) {
  text.clear();
  if (path.empty()) return true;
  auto real = plat::ResolveNoCase(path);
  if (!real) return true;
  if (!plat::ReadRegularFile(*real, text, plat::IniFile::kMaxFileSize, error)) return false;
  text.erase(0, text.size() - plat::WithoutBom(text).size());
  return true;
}

std::string UnreadableMessage(const std::string& path, const std::string& error, bool loading) {
  return "MAME.CFG cannot be read:\r" + path + "\r(" + error + ")\r\r" +
         (loading ? "The emulator's options are shown with their defaults, and MAME.CFG will "
                    "not be written over.\rCorrect the file or its permissions and open "
                    "the profile again."
                  : "MAME.CFG is left as it is and the options were not written.\rCorrect "
                    "the file or its permissions and open the profile again.");
}
}  // namespace

std::string TMainFRM::MAMECfgFileName() const {
  // Without an emulator folder there is no MAME.CFG: never one in the current folder.
  if (EmulatorDir.empty()) return {};
  return plat::PathForWrite(plat::WithSlash(EmulatorDir) + "MAME.CFG");
}

std::string TMainFRM::AddCurrentDirToPath(const std::string& path) {
  return mamecfg::AddCurrentDirToPath(path);
}

std::string TMainFRM::ReadMAMECfgTopKey(const std::string& key, const std::string& def) {
  std::string text;
  ReadCfgText(MAMECfgFileName(), text);
  return mamecfg::ReadTopKey(text, key, def);
}

bool TMainFRM::WriteMAMECfgTopKey(const std::string& key, const std::string& value) {
  const std::string cfg = MAMECfgFileName();
  if (cfg.empty()) return false;  // nothing to write to
  std::string text;
  if (!ReadCfgText(cfg, text)) return true;  // never written over when it cannot be read
  // Temporary copy first, renamed over MAME.CFG: the old file stays whole until then.
  return !plat::WriteFileAtomic(cfg, mamecfg::WriteTopKey(text, key, value));
}

void TMainFRM::LoadMAMECfg() {
  std::string text, error;
  if (!ReadCfgText(MAMECfgFileName(), text, &error))
    ShowMessageBox(UnreadableMessage(MAMECfgFileName(), error, true), plat::MB_ICONERROR);
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
    connect(a, &QAction::triggered, this, [this]() { Guarded([this] { ShowMAMETextFile(); }); });
  }
}

bool TMainFRM::SaveMAMECfg() {
  if (!ProfileLoaded || EmulatorDir.empty()) return true;
  const std::string cfg = MAMECfgFileName();
  std::string text, error;
  if (!ReadCfgText(cfg, text, &error)) {
    ShowMessageBox(UnreadableMessage(cfg, error, false), plat::MB_ICONERROR);
    return false;
  }
  // The top key and the records go into the text read above, written once.
  plat::IniFile ini(cfg);
  ini.LoadFromText(
      mamecfg::WriteTopKey(text, "emulate_three", MAMEConfig.emulate_three ? "YES" : "NO"));
  mamecfg::WriteRecords(ini, MAMEDirectories, MAMEConfig);
  if (!ini.Save(&error)) {
    ShowMessageBox(WriteErrorMessage(cfg, error), plat::MB_ICONERROR);
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
