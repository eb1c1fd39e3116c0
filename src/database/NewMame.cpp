#include "database/NewMame.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>
#include <cstdlib>

#include "platform/Cp1252.h"
#include "platform/Files.h"

namespace {

const char* const kFirstHint =
    "In order to run games and display their characteristics,\r"
    "Velmora needs to access the emulator's\r"
    "executable file (e.g. mame).\r"
    "Please specify the path where the emulator is located\r"
    "using the box above, then click the \"NEXT\" button.";

const char* const kSecondHint =
    "Please specify a profile file name, in which Velmora\r"
    "will store all the parameters retrieved from the emulator.\r"
    "This will save you from rescanning the emulator file\r"
    "again, should you change emulator and then make up your\r"
    "mind. Once done click the \"GO\" button.";

QString Shown(const std::string& text) { return plat::FromAnsi(plat::NormalizeLineBreaks(text)); }

}  // namespace

TNewMameFRM::TNewMameFRM(QWidget* owner) : TDXForm(owner) {
  setObjectName("NewMameFRM");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  auto* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  auto* top = new QHBoxLayout;
  VelmoraImage = new QLabel(central);
  VelmoraImage->setObjectName("VelmoraImage");
  VelmoraImage->setPixmap(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(64, 64));
  VelmoraImage->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  top->addWidget(VelmoraImage);
  auto* right = new QVBoxLayout;
  FileNameLBL = new QLabel(central);
  FileNameLBL->setObjectName("FileNameLBL");
  auto* line = new QHBoxLayout;
  FileName = new QLineEdit(central);
  FileName->setObjectName("FileName");
  BrowseBTN = new QPushButton("&Browse...", central);
  BrowseBTN->setObjectName("BrowseBTN");
  line->addWidget(FileName, 1);
  line->addWidget(BrowseBTN);
  HintLBL = new QLabel(central);
  HintLBL->setObjectName("HintLBL");
  right->addWidget(FileNameLBL);
  right->addLayout(line);
  right->addWidget(HintLBL);
  right->addStretch(1);
  top->addLayout(right, 1);
  outer->addLayout(top, 1);
  SepBVL = new QFrame(central);
  SepBVL->setObjectName("SepBVL");
  SepBVL->setFrameShape(QFrame::HLine);
  SepBVL->setFrameShadow(QFrame::Sunken);
  outer->addWidget(SepBVL);
  auto* buttons = new QHBoxLayout;
  NextBTN = new QPushButton("&Next >>", central);
  NextBTN->setObjectName("NextBTN");
  GoBTN = new QPushButton("&Go", central);
  GoBTN->setObjectName("GoBTN");
  CancelBTN = new QPushButton("&Cancel", central);
  CancelBTN->setObjectName("CancelBTN");
  NextBTN->setDefault(true);
  buttons->addStretch(1);
  buttons->addWidget(NextBTN);
  buttons->addWidget(GoBTN);
  buttons->addWidget(CancelBTN);
  outer->addLayout(buttons);
  setCentralWidget(central);

  connect(BrowseBTN, &QPushButton::clicked, this, [this] { BrowseBTNClick(); });
  connect(NextBTN, &QPushButton::clicked, this, [this] { NextBTNClick(); });
  connect(GoBTN, &QPushButton::clicked, this, [this] { GoBTNClick(); });
  connect(CancelBTN, &QPushButton::clicked, this, [this] { CancelBTNClick(); });

  OpenDLG.save = false;
  OpenDLG.title = "Select emulator file";
  // Executables here have no extension: every file is offered under the same entry.
  OpenDLG.filter = "Executable files (*.EXE)|*.EXE;*";
  OpenDLG.defaultExt = "EXE";
  OpenDLG.mustExist = true;
  SaveDLG.save = true;
  SaveDLG.title = "Save profile as...";
  SaveDLG.filter = "Emulator profile files (*.VRL)|*.VRL";
  SaveDLG.defaultExt = "VRL";
  SaveDLG.overwritePrompt = true;

  setFixedSize(520, 250);
  CenterOnScreen(this);
}

TNewMameFRM::~TNewMameFRM() = default;

int TNewMameFRM::Message(const std::string& text, unsigned flags) {
  return plat::Ui().MessageBox(this, "Velmora", text, flags);
}

std::string TNewMameFRM::ProfilesFolder() const {
  if (auto p = plat::FindNoCase(ProgramDir, "PROFILES"); p && plat::DirExists(*p))
    return plat::WithSlash(*p);
  return ProgramDir;
}

void TNewMameFRM::showEvent(QShowEvent* e) {
  TDXForm::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TNewMameFRM::FormShow() {
  setWindowTitle("Velmora - New emulator file");
  FileName->clear();
  if (!ProposedFile.empty())
    FileName->setText(plat::FromLocal(ProposedFile));
  else if (const char* demo = std::getenv("VELMORA_DEMO_EMULATOR"); demo && *demo)
    FileName->setText(plat::FromLocal(plat::AbsolutePath(demo)));
  ShowFirstStep();
  OpenDLG.initialDir = EmulatorDir.empty() ? ProgramDir : EmulatorDir;
  SaveDLG.initialDir = ProfilesFolder();
}

void TNewMameFRM::ShowFirstStep() {
  FileNameLBL->setText("Emulator executable file:");
  HintLBL->setText(Shown(kFirstHint));
  NextBTN->setEnabled(true);
  GoBTN->setEnabled(false);
  NextBTN->setDefault(true);
}

void TNewMameFRM::BrowseBTNClick() {
  plat::FileDialogRequest req = NextBTN->isEnabled() ? OpenDLG : SaveDLG;
  std::string text = plat::ToLocal(FileName->text());
  std::string dir = plat::DirectoryOf(text);
  if (!dir.empty()) req.initialDir = dir;
  req.fileName = plat::FileNameOf(text);
  auto chosen = plat::Ui().FileDialog(this, req);
  if (!chosen) return;
  FileName->setText(plat::FromLocal(*chosen));
  // The save dialog has asked before choosing an existing file.
  if (req.save && plat::FileExists(*chosen)) replaceConfirmed_ = *chosen;
}

void TNewMameFRM::NextBTNClick() {
  std::string text = plat::ToLocal(FileName->text());
  auto real = text.empty() ? std::nullopt : plat::ResolveNoCase(text);
  if (!real || !plat::FileExists(*real)) {
    Message("The specified file does not exist.\rPlease specify an existing file then try again.",
            plat::MB_ICONERROR);
    return;
  }
  EmulatorFile = plat::AbsolutePath(*real);
  std::string profile = plat::ChangeExtension(plat::FileNameOf(EmulatorFile), "");
  FileName->setText(plat::FromLocal(ProfilesFolder() + profile + ".VRL"));
  FileNameLBL->setText("Profile file name:");
  HintLBL->setText(Shown(kSecondHint));
  NextBTN->setEnabled(false);
  GoBTN->setEnabled(true);
  GoBTN->setDefault(true);
}

void TNewMameFRM::GoBTNClick() {
  ProfileFile = plat::ToLocal(FileName->text());
  std::string dir = plat::DirectoryOf(ProfileFile);
  if (dir.empty() || !plat::DirExists(dir)) {
    Message("The file cannot be created!\rThis may be due to a non existing path.\r"
            "Please choose another path.",
            plat::MB_ICONERROR);
    return;
  }
  ProfileFile = plat::AbsolutePath(ProfileFile);
  // The file itself is left alone: it is replaced only when the new profile is saved.
  struct stat st;
  bool fileReadOnly = stat(ProfileFile.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                      ((st.st_mode & 0222) == 0 || access(ProfileFile.c_str(), W_OK) != 0);
  if (fileReadOnly || !plat::DirWritable(dir)) {
    Message("The file cannot be created!\rThis may be due to the read-only attribute of the file "
            "you want to overwrite.\rPlease choose another name.",
            plat::MB_ICONERROR);
    return;
  }
  auto existing = plat::ResolveNoCase(ProfileFile);
  if (existing && plat::FileExists(*existing) &&
      *existing != plat::ResolveNoCase(replaceConfirmed_).value_or("") &&
      Message("The profile file " + plat::ToAnsi(plat::FromLocal(*existing)) +
                  " already exists.\rDo you want to replace it?",
              plat::MB_YESNO | plat::MB_ICONWARNING) != plat::IDYES)
    return;  // back to the name
  if (CheckEmulator && !CheckEmulator()) {
    FileName->setText(plat::FromLocal(EmulatorFile));
    ShowFirstStep();
    FileName->setFocus();
    return;
  }
  SetModalResult(mrOk);
}

void TNewMameFRM::CancelBTNClick() {
  SetModalResult(mrCancel);
  if (isVisible()) hide();
}
