#include "launch/DosCmd.h"

#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

#include "frontend/main.h"
#include "launch/CommandLine.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"

TCmdLineFRM* CmdLineFRM = nullptr;

TCmdLineFRM::TCmdLineFRM(QWidget* owner) : TDXForm(owner) {
  setObjectName("CmdLineFRM");
  setWindowTitle("Velmora - Show/edit command line");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  CmdLineBOX = new QGroupBox(" Command line ", body);
  auto* boxLayout = new QVBoxLayout(CmdLineBOX);
  CmdLineExample = new QLineEdit(CmdLineBOX);
  CmdLineExample->setObjectName("CmdLineExample");
  CmdLineExample->setReadOnly(true);
  CmdLineExample->setStyleSheet("QLineEdit { background: black; color: silver; }");
  QFont mono("Courier New");
  mono.setStyleHint(QFont::Monospace);
  mono.setPixelSize(13);
  mono.setBold(true);
  CmdLineExample->setFont(mono);
  boxLayout->addWidget(CmdLineExample);
  auto* manual = new QHBoxLayout;
  AddOptions = new QCheckBox("Add &manually:", CmdLineBOX);
  ExtraOptions = new QLineEdit(CmdLineBOX);
  manual->addWidget(AddOptions);
  manual->addWidget(ExtraOptions, 1);
  boxLayout->addLayout(manual);
  LogMame = new QCheckBox("&Log MAME text output (for advanced users)", CmdLineBOX);
  IgnoreCfg = new QCheckBox("&Ignore MAME.CFG and go with default values", CmdLineBOX);
  IgnoreCfg->setToolTip("-ignorecfg");
  boxLayout->addWidget(LogMame);
  boxLayout->addWidget(IgnoreCfg);
  layout->addWidget(CmdLineBOX);
  layout->addLayout(OkCancelRow(body, OkBTN, CancelBTN));
  setCentralWidget(body);
  resize(433, 174);

  for (QCheckBox* b : {AddOptions, LogMame, IgnoreCfg})
    connect(b, &QCheckBox::clicked, this, [this] { SomethingClick(); });
  connect(ExtraOptions, &QLineEdit::textChanged, this, [this] { SomethingClick(); });
  connect(OkBTN, &QPushButton::clicked, this, [this] { OkBTNClick(); });
  connect(CancelBTN, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] { SetModalResult(mrCancel); });
}

TCmdLineFRM::~TCmdLineFRM() {
  if (CmdLineFRM == this) CmdLineFRM = nullptr;
}

std::string TCmdLineFRM::BuildCommandLine(const std::string& setName, bool fromWindow,
                                          bool shell) {
  launch::CommandLineOptions o;
  if (!Main) return {};
  TMainFRM& m = *Main;
  o.comSpec = m.ComSpec;
  o.emulator = m.EmulatorDir + m.EmulatorExe;
  o.setName = setName;
  o.errorLog = m.ErrorLog;
  o.ignoreCfg = fromWindow ? IgnoreCfg->isChecked() : m.IgnoreConfig;
  const bool record = m.RecordBTN && m.RecordBTN->isChecked();
  const bool play = m.PlayBTN && m.PlayBTN->isChecked();
  if ((record || play) && m.InpFile) {
    if (m.InpFile->text().isEmpty()) m.InpFile->setText(plat::FromAnsi(setName));
    o.recording = record ? 1 : 2;
    o.recordName = plat::ToAnsi(m.InpFile->text());
  }
  o.addOptions = fromWindow ? AddOptions->isChecked() : m.AddOptions;
  o.extraOptions = fromWindow ? plat::ToAnsi(ExtraOptions->text()) : m.ExtraOptions;
  o.logOutput = fromWindow ? LogMame->isChecked() : m.LogTextOutput;
  o.captureFile = m.CaptureFile;
  return shell ? launch::ShellCommand(o) : launch::BuildCommandLine(o);
}

void TCmdLineFRM::showEvent(QShowEvent* e) {
  TDXForm::showEvent(e);
  if (QScreen* screen = this->screen()) {
    QRect r = frameGeometry();
    r.moveCenter(screen->availableGeometry().center());
    move(r.topLeft());
  }
  FormShow();
}

void TCmdLineFRM::FormShow() {
  if (!Main) return;
  setWindowTitle("Velmora - Show/edit command line");
  QSignalBlocker b1(AddOptions), b2(ExtraOptions), b3(IgnoreCfg), b4(LogMame);
  AddOptions->setChecked(Main->AddOptions);
  ExtraOptions->setText(plat::FromAnsi(Main->ExtraOptions));
  IgnoreCfg->setChecked(Main->IgnoreConfig);
  LogMame->setChecked(Main->LogTextOutput);
  UpdateExample();
  // The window opens wide enough for the whole line, up to most of the screen; it keeps that
  // width while the line changes (the line scrolls).
  const int screenWidth = screen() ? screen()->availableGeometry().width() : 1024;
  CmdLineExample->setMinimumWidth(std::min(
      CmdLineExample->fontMetrics().horizontalAdvance(CmdLineExample->text()) + 24,
      screenWidth * 3 / 4));
}

void TCmdLineFRM::SomethingClick() { UpdateExample(); }

void TCmdLineFRM::UpdateExample() {
  ExtraOptions->setEnabled(AddOptions->isChecked());
  ExtraOptions->setBackgroundRole(AddOptions->isChecked() ? QPalette::Base : QPalette::Button);
  std::string set = Main && Main->SelectedGame ? Main->SelectedGame->Name.str() : "GAMENAME";
  // As a shell shows it: the working folder, then the command.
  std::string folder = plat::CurrentDir();
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const QString line =
      plat::FromLocal(folder) + "$ " + plat::FromAnsi(BuildCommandLine(set, true, true));
  CmdLineExample->setText(line);
  CmdLineExample->setToolTip(line);
  // A line longer than the box shows its start, or the end of the options added by hand.
  qsizetype shown = 0;
  const QString added = plat::FromAnsi(plat::ToAnsi(ExtraOptions->text()));  // as in the line
  if (AddOptions->isChecked() && !added.trimmed().isEmpty()) {
    const qsizetype at = line.lastIndexOf(" " + added);
    if (at >= 0) shown = at + 1 + added.size();
  }
  CmdLineExample->setCursorPosition(0);
  CmdLineExample->setCursorPosition(static_cast<int>(shown));
}

void TCmdLineFRM::SaveSettings() {
  if (!Main) return;
  Main->AddOptions = AddOptions->isChecked();
  Main->ExtraOptions = plat::ToAnsi(ExtraOptions->text());
  Main->LogTextOutput = LogMame->isChecked();
  Main->IgnoreConfig = IgnoreCfg->isChecked();
}

void TCmdLineFRM::OkBTNClick() {
  SaveSettings();
  SetModalResult(mrOk);
}

void TMainFRM::OptionsCommandLineACTNExecute() {
  if (!CmdLineFRM) return;
  CmdLineFRM->Main = this;
  CmdLineFRM->FormShow();
  CmdLineFRM->ShowModal();
}
