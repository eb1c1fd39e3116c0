#include "launch/Misc.h"

#include <QGridLayout>
#include <QLabel>

#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"

TMiscFRM::TMiscFRM(TMainFRM* main) : TOptionDialog(main, "MiscFRM"), main_(main) {
  using namespace options;
  QWidget* b = Body;
  for (const std::string& n : main_->LanguageNames) {
    languages_.captions.push_back(n);
    languages_.values.push_back(n);
  }
  for (size_t i = 0; i < main_->LanguageCaptions.size() && i < languages_.captions.size(); ++i)
    languages_.captions[i] = main_->LanguageCaptions[i];
  Joystick = MakeValueCombo(b, "Joystick", Joysticks(), "-joy");
  Dirty = MakeValueCombo(b, "Dirty", YesNoAuto(), "dirty= (MAME.CFG)");
  mmx = MakeValueCombo(b, "mmx", YesNoAuto(), "Mmx= (MAME.CFG)");
  Language = MakeValueCombo(b, "Language", languages_, "-language");
  Mouse = MakeCheck(b, "Mouse", "Use the mouse", "-mouse");
  HotRod = MakeCheck(b, "HotRod", "HotRod", "-hotrod");
  HotRodSE = MakeCheck(b, "HotRodSE", "HotRod SE", "-hotrodse");
  SteadyKey = MakeCheck(b, "SteadyKey", "Steady keys", "-steadykey");
  debug = MakeCheck(b, "debug", "Debugger", "-debug");
  log = MakeCheck(b, "log", "Error log", "-log");
  Emulate3 = MakeCheck(b, "Emulate3", "Emulate three buttons", "emulate_three= (MAME.CFG)");
  cheat = MakeCheck(b, "cheat", "Enable cheats", "-cheat");
  auto edit = [b](const char* name, const char* hint) {
    auto* e = new QLineEdit(b);
    e->setObjectName(name);
    e->setToolTip(QString::fromLatin1(hint));
    return e;
  };
  CheatFile = edit("CheatFile", "CheatFile= (MAME.CFG)");
  HistoryFile = edit("HistoryFile", "HistoryFile= (MAME.CFG)");
  MameInfoFile = edit("MameInfoFile", "MameInfoFile= (MAME.CFG)");
  auto button = [b](const char* name, const char* caption) {
    auto* p = new QPushButton(QString::fromLatin1(caption), b);
    p->setObjectName(name);
    return p;
  };
  CheatFileBrowseBTN = button("CheatFileBrowseBTN", "&Browse...");
  HistoryFileBrowseBTN = button("HistoryFileBrowseBTN", "B&rowse...");
  MameInfoFileBrowseBTN = button("MameInfoFileBrowseBTN", "Bro&wse...");
  CheatEditBTN = button("CheatEditBTN", "&Edit...");

  auto* grid = new QGridLayout(b);
  int r = 0;
  for (auto [text, box] : {std::pair{"Joystick:", Joystick}, {"Dirty rectangles:", Dirty},
                           {"MMX:", mmx}, {"Language:", Language}}) {
    grid->addWidget(new QLabel(text, b), r, 0);
    grid->addWidget(box, r++, 1, 1, 3);
  }
  int c = 0;
  for (QCheckBox* x : {Mouse, HotRod, HotRodSE, SteadyKey, debug, log, Emulate3}) {
    grid->addWidget(x, r + c / 4, c % 4);
    ++c;
  }
  r += 2;
  grid->addWidget(cheat, r++, 0, 1, 4);
  grid->addWidget(new QLabel("Cheat file:", b), r, 0);
  grid->addWidget(CheatFile, r, 1);
  grid->addWidget(CheatFileBrowseBTN, r, 2);
  grid->addWidget(CheatEditBTN, r++, 3);
  grid->addWidget(new QLabel("History file:", b), r, 0);
  grid->addWidget(HistoryFile, r, 1);
  grid->addWidget(HistoryFileBrowseBTN, r++, 2);
  grid->addWidget(new QLabel("MAME info file:", b), r, 0);
  grid->addWidget(MameInfoFile, r, 1);
  grid->addWidget(MameInfoFileBrowseBTN, r++, 2);

  connect(cheat, &QCheckBox::clicked, this, [this] { UpdateCheatControls(); });
  connect(CheatFileBrowseBTN, &QPushButton::clicked, this, [this] { CheatFileBrowseBTNClick(); });
  connect(HistoryFileBrowseBTN, &QPushButton::clicked, this,
          [this] { HistoryFileBrowseBTNClick(); });
  connect(MameInfoFileBrowseBTN, &QPushButton::clicked, this,
          [this] { MameInfoFileBrowseBTNClick(); });
  connect(CheatEditBTN, &QPushButton::clicked, this, [this] { CheatEditBTNClick(); });
  resize(560, 330);
  FormShow();
}

void TMiscFRM::FormShow() {
  using namespace options;
  setWindowTitle("Velmora - MAME misc settings");
  const MAMEConfigFile& c = main_->MAMEConfig;
  SelectValue(Joystick, Joysticks(), c.joystick);
  SelectValue(Dirty, YesNoAuto(), c.dirty);
  SelectValue(mmx, YesNoAuto(), c.mmx);
  // A language the list lacks shows the first one; it is stored only on Ok.
  int lang = IndexOfValue(languages_, c.language);
  if (lang < 0 && !languages_.values.empty()) lang = 0;
  Language->setCurrentIndex(lang);
  const std::pair<QCheckBox*, bool> checks[] = {
      {Mouse, c.mouse != 0},       {HotRod, c.hotrod != 0}, {HotRodSE, c.hotrodse != 0},
      {SteadyKey, c.steadykey != 0}, {debug, c.debug != 0}, {log, main_->ErrorLog},
      {Emulate3, c.emulate_three != 0}, {cheat, c.cheat != 0}};
  for (auto [box, on] : checks) box->setChecked(on);
  CheatFile->setText(plat::FromLocal(c.cheatfile));
  HistoryFile->setText(plat::FromLocal(c.historyfile));
  MameInfoFile->setText(plat::FromLocal(c.mameinfofile));
  UpdateCheatControls();
}

void TMiscFRM::UpdateCheatControls() {
  const bool on = cheat->isChecked();
  SetEnabledColoured(CheatFile, on);
  CheatFileBrowseBTN->setEnabled(on);
  // Without an editor of its own the desktop opens the file.
  const std::string& editor = main_->TextEditor;
  CheatEditBTN->setEnabled(on && (editor.empty() || plat::FileExists(editor)));
}

void TMiscFRM::Browse(QLineEdit* edit, const char* filter, const char* title) {
  plat::FileDialogRequest req;
  req.title = title;
  req.filter = filter;
  req.defaultExt = "DAT";
  req.fileName = plat::ToLocal(edit->text());
  req.initialDir = main_->EmulatorDir;
  req.mustExist = true;
  if (auto chosen = plat::Ui().FileDialog(this, req)) edit->setText(plat::FromLocal(*chosen));
}

void TMiscFRM::CheatFileBrowseBTNClick() {
  Browse(CheatFile, "Cheat files (*.DAT)|*.DAT|All files (*.*)|*.*", "Select cheat file");
}

void TMiscFRM::HistoryFileBrowseBTNClick() {
  Browse(HistoryFile, "History files (*.DAT)|*.DAT|All files (*.*)|*.*", "Select history file");
}

void TMiscFRM::MameInfoFileBrowseBTNClick() {
  Browse(MameInfoFile, "MAME info files (*.DAT)|*.DAT|All files (*.*)|*.*",
         "Select MAME info file");
}

void TMiscFRM::CheatEditBTNClick() {
  std::string file = plat::ToLocal(CheatFile->text());
  if (!file.empty() && file[0] != '/') file = plat::JoinPath(main_->EmulatorDir, file);
  if (TMainFRM::IsGZipFile(file)) {
    main_->ShowMessageBox("The cheat file is GZip-compressed and\rcannot be opened in a text editor.",
                          plat::MB_ICONINFORMATION);
    return;
  }
  main_->OpenInTextEditor(file);
}

void TMiscFRM::SaveSettings() {
  using namespace options;
  MAMEConfigFile& c = main_->MAMEConfig;
  c.joystick = StoredValue(Joysticks(), Joystick->currentIndex(), c.joystick);
  c.dirty = StoredValue(YesNoAuto(), Dirty->currentIndex(), c.dirty);
  c.mmx = StoredValue(YesNoAuto(), mmx->currentIndex(), c.mmx);
  c.language = StoredValue(languages_, Language->currentIndex(), c.language);
  c.mouse = Mouse->isChecked();
  c.hotrod = HotRod->isChecked();
  c.hotrodse = HotRodSE->isChecked();
  c.steadykey = SteadyKey->isChecked();
  c.debug = debug->isChecked();
  main_->ErrorLog = log->isChecked();
  c.emulate_three = Emulate3->isChecked();
  c.cheat = cheat->isChecked();
  c.cheatfile = plat::ToLocal(CheatFile->text());
  c.historyfile = plat::ToLocal(HistoryFile->text());
  c.mameinfofile = plat::ToLocal(MameInfoFile->text());
}

void TMainFRM::MameMiscACTNExecute() {
  TMiscFRM dialog(this);
  dialog.ShowModal();
}
