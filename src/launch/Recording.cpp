// The recording panel under the game list, and the deletion of a game's emulator files.
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "frontend/main.h"
#include "launch/CommandLine.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/SafeName.h"
#include "platform/Seams.h"

void TMainFRM::BuildRecordingPanel() {
  auto* layout = new QHBoxLayout(GameRecordingPNL);
  layout->setContentsMargins(4, 2, 4, 2);
  auto* group = new QButtonGroup(GameRecordingPNL);
  group->setExclusive(true);
  // Alt+R reaches the buttons, Tab too; the arrow keys then choose, as in a radio group.
  auto* label = new QLabel("&Recording:", GameRecordingPNL);
  layout->addWidget(label);
  auto button = [&](const char* name, const char* text, const char* hint) {
    auto* b = new QToolButton(GameRecordingPNL);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    b->setCheckable(true);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::StrongFocus);
    group->addButton(b);
    layout->addWidget(b);
    return b;
  };
  NoneBTN = button("NoneBTN", "\u25A0", "No recording");
  PlayBTN = button("PlayBTN", "\u25B6", "Play back a recording");
  RecordBTN = button("RecordBTN", "\u25CF", "Record the game");
  NoneBTN->setChecked(true);
  label->setBuddy(NoneBTN);
  // The key goes to the chosen button.
  connect(group, &QButtonGroup::buttonToggled, label, [label](QAbstractButton* b, bool on) {
    if (on) label->setBuddy(b);
  });
  InpFileLBL = new QLabel("Filename:", GameRecordingPNL);
  InpFile = new QLineEdit(GameRecordingPNL);
  InpFile->setObjectName("InpFile");
  InpFile->setMaxLength(12);
  // Room for a whole name of eight letters, however narrow the window.
  InpFile->setMinimumWidth(InpFile->fontMetrics().horizontalAdvance(QString(8, 'W')) + 12);
  InpFileLBL->setBuddy(InpFile);
  InpBrowseBTN = new QPushButton("&Browse...", GameRecordingPNL);
  InpBrowseBTN->setObjectName("InpBrowseBTN");
  layout->addWidget(InpFileLBL);
  layout->addWidget(InpFile, 1);
  layout->addWidget(InpBrowseBTN);
  connect(NoneBTN, &QToolButton::clicked, this, [this] { NoneBTNClick(); });
  connect(PlayBTN, &QToolButton::clicked, this, [this] { GameRecordingEnable(); });
  connect(RecordBTN, &QToolButton::clicked, this, [this] { GameRecordingEnable(); });
  connect(InpBrowseBTN, &QPushButton::clicked, this, [this] { InpBrowseBTNClick(); });
  connect(InpFile, &QLineEdit::textEdited, this, [this](const QString& t) {
    // Upper-case entry, keeping the cursor where it was.
    if (t == t.toUpper()) return;
    int pos = InpFile->cursorPosition();
    InpFile->setText(t.toUpper());
    InpFile->setCursorPosition(pos);
  });
  NoneBTNClick();
}

void TMainFRM::NoneBTNClick() {
  if (!InpFile) return;
  InpFileLBL->setEnabled(false);
  InpFile->setEnabled(false);
  InpFile->setBackgroundRole(QPalette::Button);
  InpFile->clear();
  InpBrowseBTN->setEnabled(false);
}

void TMainFRM::GameRecordingEnable() {
  if (!SelectedGame || !InpFile) return;
  InpFileLBL->setEnabled(true);
  InpFile->setEnabled(true);
  InpFile->setBackgroundRole(QPalette::Base);
  InpBrowseBTN->setEnabled(true);
  if (InpFile->text().isEmpty()) InpFile->setText(plat::FromAnsi(SelectedGame->Name.str()));
}

void TMainFRM::InpBrowseBTNClick() {
  const bool play = PlayBTN->isChecked(), record = RecordBTN->isChecked();
  if (!play && !record) {
    NoneBTNClick();
    return;
  }
  plat::FileDialogRequest req;
  req.save = record;
  req.title = "Select a game recording file";
  req.filter = "MAME Input files (*.INP)|*.INP|All files (*.*)|*.*";
  req.filterIndex = 1;
  req.defaultExt = "INP";
  req.fileName = plat::ToAnsi(InpFile->text());
  std::string inp = plat::ToNativeSeparators(MAMEDirectories.inp);
  req.initialDir = inp.empty() || inp[0] == '/' ? inp : EmulatorDir + inp;
  req.mustExist = play;
  req.overwritePrompt = record;
  auto chosen = plat::Ui().FileDialog(this, req);
  if (!chosen) return;
  std::string name = launch::WithoutExtension(plat::FileNameOf(*chosen)).substr(0, 8);
  InpFile->setText(plat::FromAnsi(name));
}

void TMainFRM::DeleteGameFile(uint8_t kind) {
  if (!SelectedGame || kind > 3) return;
  static const char* const words[] = {"configuration", "high score", "NV-Ram",
                                      "default configuration"};
  static const char* const extensions[] = {".CFG", ".HI", ".NV", ".CFG"};
  const std::string* folders[] = {&MAMEDirectories.cfg, &MAMEDirectories.hi,
                                  &MAMEDirectories.nvram, &MAMEDirectories.cfg};
  const std::string set = SelectedGame->Name.str();
  const auto named = plat::NameInFolder(plat::ToNativeSeparators(*folders[kind]),
                                        (kind == 3 ? std::string("DEFAULT") : set) + extensions[kind]);
  if (!named) {
    ShowMessageBox("The set name [" + set + "] cannot be part of a file name.", plat::MB_ICONERROR);
    return;
  }
  std::string path = *named;
  const std::string whose = kind < 3 ? " for [" + set + "]" : "";
  std::string full = path[0] == '/' ? path : EmulatorDir + path;
  auto file = plat::ResolveNoCase(full);
  if (!file) {
    ShowMessageBox(
        std::string("There is no ") + words[kind] + " file" + whose + ".\rFile = " + path,
        plat::MB_OK | plat::MB_ICONINFORMATION);
    return;
  }
  if (ShowMessageBox(std::string("Really delete the ") + words[kind] + " file" + whose +
                         "?\rFile = " + path,
                     plat::MB_YESNO | plat::MB_ICONWARNING) != plat::IDYES)
    return;
  if (!plat::RemoveFile(*file))
    ShowMessageBox("The file could not be deleted:\r" + *file, plat::MB_ICONERROR);
}

// The interpreter here keeps no ".PIF" file beside it: nothing to delete.
void TMainFRM::DeletePifFile() {}
