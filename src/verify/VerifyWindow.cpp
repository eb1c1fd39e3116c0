#include "verify/VerifyWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"
#include "platform/SessionEnd.h"

namespace {

QString Q(const std::string& s) { return plat::FromAnsi(s); }

// Edit fields are white when usable, button-face grey otherwise.
void SetFieldColour(QWidget* w, bool window) {
  QPalette p = w->palette();
  p.setColor(QPalette::Base, QApplication::palette().color(window ? QPalette::Base
                                                                  : QPalette::Button));
  w->setPalette(p);
}

const char* const kMameCdQuestion =
    "You have the MAMECD option enabled. Since performing this test on\r"
    "CDs would be too slow, due to the intensive disk access, and would\r"
    "force you to continuously change disc, the Verify Set function cannot\r"
    "be performed on CD.\r\r"
    "Would you like to test the sets present on your hard disk?";

}  // namespace

TVerifyFRM::TVerifyFRM(TMainFRM* main) : TDXForm(main), main_(main) {
  setObjectName("VerifyFRM");
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowMinimizeButtonHint);
  auto* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);

  auto check = [&](QCheckBox*& box, const char* name, const char* caption, bool on) {
    box = new QCheckBox(caption, central);
    box->setObjectName(name);
    box->setChecked(on);
  };
  auto* options = new QGroupBox(" Options ", central);
  auto* optLayout = new QVBoxLayout(options);
  LogFileNameLBL = new QLabel("Sa&ve verification report as:", options);
  LogFileNameLBL->setObjectName("LogFileNameLBL");
  LogFileName = new QLineEdit(options);
  LogFileName->setObjectName("LogFileName");
  LogFileNameLBL->setBuddy(LogFileName);
  LogFileBrowseBTN = new QPushButton("&Browse...", options);
  LogFileBrowseBTN->setObjectName("LogFileBrowseBTN");
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(LogFileName, 1);
  fileRow->addWidget(LogFileBrowseBTN);
  optLayout->addWidget(LogFileNameLBL);
  optLayout->addLayout(fileRow);
  check(OpenInEditor, "OpenInEditor", "Send report to text &editor when done", true);
  optLayout->addWidget(OpenInEditor);

  auto* roms = new QGroupBox(" Roms / Samples ", options);
  auto* romLayout = new QVBoxLayout(roms);
  check(VerifyRoms, "VerifyRoms", "Verify &rom sets", true);
  check(RomClones, "RomClones", "Verify roms of c&lone sets", true);
  check(ReportRedumps, "ReportRedumps", "Report \"rom needs redum&p\" files", false);
  NoGoodDumpLBL = new QLabel("&When a \"no good dump\" file is found...", roms);
  NoGoodDumpLBL->setObjectName("NoGoodDumpLBL");
  NoGoodDump = new QComboBox(roms);
  NoGoodDump->setObjectName("NoGoodDump");
  NoGoodDump->addItems({"never report it", "report it only if file missing",
                        "report it only if file found", "report it anyway"});
  NoGoodDump->setCurrentIndex(0);
  NoGoodDumpLBL->setBuddy(NoGoodDump);
  check(VerifySamples, "VerifySamples", "Verify &sample sets", true);
  check(VerifySampleQuality, "VerifySampleQuality", "Verify sample &quality", true);
  check(SkipNotPresent, "SkipNotPresent", "S&kip sets with no files", true);
  check(ReportUnused, "ReportUnused", "Report &unused files in sets", false);
  check(ReportUnsupported, "ReportUnsupported", "Repor&t unsupported rom/sample sets", false);
  for (QWidget* w : std::initializer_list<QWidget*>{VerifyRoms, RomClones, ReportRedumps,
                                                    NoGoodDumpLBL, NoGoodDump, VerifySamples,
                                                    VerifySampleQuality, SkipNotPresent,
                                                    ReportUnused, ReportUnsupported})
    romLayout->addWidget(w);
  auto* shots = new QGroupBox(" Screenshots ", options);
  auto* shotLayout = new QVBoxLayout(shots);
  check(VerifyImages, "VerifyImages", "Verify &images", true);
  check(SeparatePhotoLists, "SeparatePhotoLists", "Process each &folder separately", false);
  check(ScreenshotDetail, "ScreenshotDetail",
        "Check &missing images in clone sets even if master image found", false);
  shotLayout->addWidget(VerifyImages);
  shotLayout->addWidget(SeparatePhotoLists);
  shotLayout->addWidget(ScreenshotDetail);
  shotLayout->addStretch(1);
  auto* groups = new QHBoxLayout;
  groups->addWidget(roms);
  groups->addWidget(shots);
  optLayout->addLayout(groups);
  outer->addWidget(options);

  auto* progress = new QGroupBox(" Progress ", central);
  auto* grid = new QGridLayout(progress);
  auto value = [&](QLabel*& label, const char* name, const char* text, bool bold) {
    label = new QLabel(text, progress);
    label->setObjectName(name);
    if (bold) {
      QFont f = label->font();
      f.setBold(true);
      label->setFont(f);
    }
  };
  value(PassNameLBL, "PassName", "Ready", true);
  value(SetNameLBL, "SetName", "", true);
  value(ClonesLBL, "Clones", "0", false);
  value(ElapsedTime, "ElapsedTime", "00:00:00", false);
  PassNameLBL->setMinimumWidth(420);
  grid->addWidget(new QLabel("Pass", progress), 0, 0);
  grid->addWidget(PassNameLBL, 0, 1, 1, 3);
  grid->addWidget(new QLabel("Current set:", progress), 1, 0);
  grid->addWidget(SetNameLBL, 1, 1);
  grid->addWidget(new QLabel("Clones found:", progress), 1, 2);
  grid->addWidget(ClonesLBL, 1, 3);
  ProgressBAR = new QProgressBar(progress);
  ProgressBAR->setObjectName("ProgressBAR");
  ProgressBAR->setTextVisible(false);
  grid->addWidget(ProgressBAR, 2, 0, 1, 4);
  grid->addWidget(new QLabel("Elapsed time:", progress), 3, 0);
  grid->addWidget(ElapsedTime, 3, 1);
  struct Counter { QLabel** label; const char* name; const char* caption; };
  const Counter counters[] = {
      {&MissingRoms, "MissingRoms", "Total missing roms:"},
      {&CorruptRoms, "CorruptRoms", "Total corrupt roms:"},
      {&MissSpelled, "MissSpelled", "Total misspelled roms:"},
      {&NoGoodMissing, "NoGoodMissing", "Total reported no good dumps:"},
      {&MissingSamples, "MissingSamples", "Total missing samples:"},
      {&FaultySets, "FaultySets", "Total faulty sets:"},
      {&SkippedSets, "SkippedSets", "Total skipped sets:"},
      {&MissingImages, "MissingImages", "Total missing images:"},
      {&UnsupportedSets, "UnsupportedSets", "Total unsupported sets:"}};
  for (size_t i = 0; i < std::size(counters); ++i) {
    value(*counters[i].label, counters[i].name, "0", false);
    const int row = 4 + static_cast<int>(i) / 2, col = (i % 2) * 2;
    grid->addWidget(new QLabel(counters[i].caption, progress), row, col);
    grid->addWidget(*counters[i].label, row, col + 1);
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  outer->addWidget(progress);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  GoBTN = new QPushButton("&Go", central);
  GoBTN->setObjectName("GoBTN");
  GoBTN->setDefault(true);
  AbortBTN = new QPushButton("Cancel", central);
  AbortBTN->setObjectName("AbortBTN");
  buttons->addWidget(GoBTN);
  buttons->addWidget(AbortBTN);
  outer->addLayout(buttons);
  setCentralWidget(central);

  ElapsedTMR = new QTimer(this);
  ElapsedTMR->setObjectName("ElapsedTMR");
  ElapsedTMR->setInterval(1000);

  connect(GoBTN, &QPushButton::clicked, this, [this] { GoBTNClick(); });
  connect(AbortBTN, &QPushButton::clicked, this, [this] { AbortBTNClick(); });
  connect(LogFileBrowseBTN, &QPushButton::clicked, this, [this] { LogFileBrowseBTNClick(); });
  connect(ElapsedTMR, &QTimer::timeout, this, [this] { ElapsedTMRTimer(); });
  for (QCheckBox* box : {OpenInEditor, VerifyRoms, RomClones, ReportRedumps, VerifySamples,
                         VerifySampleQuality, SkipNotPresent, VerifyImages, ScreenshotDetail,
                         ReportUnused, ReportUnsupported})
    connect(box, &QCheckBox::clicked, this, [this] { UpdateOptionControls(); });
  auto* enter = new QShortcut(QKeySequence(Qt::Key_Return), this);
  connect(enter, &QShortcut::activated, this, [this] {
    // Close once a run is done, else Go; never Abort.
    if (AbortBTN->text() == "Close")
      AbortBTN->click();
    else if (GoBTN->isEnabled())
      GoBTN->click();
  });
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] { AbortBTN->click(); });

  // The defaults: nothing is kept between openings.
  LogFileName->setText(plat::FromLocal(main_->ProgramDir + "REPORT.TXT"));
  adjustSize();
  setFixedSize(sizeHint());
  CenterOnScreen(this);
}

TVerifyFRM::~TVerifyFRM() { ElapsedTMR->stop(); }

void TVerifyFRM::showEvent(QShowEvent* e) {
  TDXForm::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TVerifyFRM::FormShow() {
  setWindowTitle("Velmora - Verify sets");
  ElapsedTime->setText("00:00:00");
  passName_ = "Ready";
  setName_.clear();
  clones_ = "0";
  Counters = {};
  position_ = 0;
  maximum_ = 0;
  RefreshLabels();
  Aborted = false;
  SetIdle(true);
  TempDir = plat::WithSlash(main_->EmulatorDir) + "$VRTEMP$/";
}

void TVerifyFRM::closeEvent(QCloseEvent* e) {
  if (running_) {
    // The run owns the temporary folder until its next check point: ask, and let it stop.
    e->ignore();
    AbortBTNClick();
    return;
  }
  FormClose();
  TDXForm::closeEvent(e);
}

void TVerifyFRM::FormClose() {
  ElapsedTMR->stop();
  DeleteTempFolder();
}

void TVerifyFRM::DeleteTempFolder() {
  if (!main_->DeleteFolderTree(main_->EmulatorDir + "$VRTEMP$"))
    main_->ShowMessageBox(
        "The temporary directory could not be deleted!\r"
        "This means one or more rom files of the game you ran could not be deleted.\r"
        "Please solve the problem and try again.",
        plat::MB_OK | plat::MB_ICONERROR);
}

void TVerifyFRM::UpdateOptionControls() {
  const bool roms = VerifyRoms->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{RomClones, ReportRedumps, NoGoodDump,
                                                    NoGoodDumpLBL})
    w->setEnabled(roms);
  SetFieldColour(NoGoodDump, roms);
  ScreenshotDetail->setEnabled(VerifyImages->isChecked());
  SeparatePhotoLists->setEnabled(VerifyImages->isChecked());
  const bool sets = roms || VerifySamples->isChecked();
  SkipNotPresent->setEnabled(sets);
  ReportUnused->setEnabled(sets);
  VerifySampleQuality->setEnabled(VerifySamples->isChecked());
  GoBTN->setEnabled(roms || VerifySamples->isChecked() || VerifyImages->isChecked() ||
                    ReportUnsupported->isChecked());
}

void TVerifyFRM::SetIdle(bool idle) {
  for (QWidget* w : std::initializer_list<QWidget*>{
           VerifyRoms, RomClones, ReportRedumps, VerifySamples, VerifySampleQuality,
           SkipNotPresent, VerifyImages, ScreenshotDetail, SeparatePhotoLists, ReportUnused,
           ReportUnsupported, LogFileNameLBL, LogFileName, LogFileBrowseBTN, OpenInEditor,
           NoGoodDump, NoGoodDumpLBL})
    w->setEnabled(idle);
  if (idle) {
    UpdateOptionControls();
    AbortBTN->setText("Cancel");
  } else {
    GoBTN->setEnabled(false);
    AbortBTN->setText("Abort");
  }
  SetFieldColour(LogFileName, idle);
  SetFieldColour(NoGoodDump, idle && VerifyRoms->isChecked());
}

verify::VerifyOptions TVerifyFRM::Options() const {
  verify::VerifyOptions o;
  o.VerifyRoms = VerifyRoms->isChecked();
  o.RomClones = RomClones->isChecked();
  o.ReportRedumps = ReportRedumps->isChecked();
  o.NoGoodDump = static_cast<uint8_t>(NoGoodDump->currentIndex() < 0 ? 0
                                                                     : NoGoodDump->currentIndex());
  o.VerifySamples = VerifySamples->isChecked();
  o.VerifySampleQuality = VerifySampleQuality->isChecked();
  o.SkipNotPresent = SkipNotPresent->isChecked();
  o.VerifyImages = VerifyImages->isChecked();
  o.SeparatePhotoLists = SeparatePhotoLists->isChecked();
  o.ScreenshotDetail = ScreenshotDetail->isChecked();
  o.ReportUnused = ReportUnused->isChecked();
  o.ReportUnsupported = ReportUnsupported->isChecked();
  return o;
}

void TVerifyFRM::WriteReportHeader() {
  verify::ReportHeaderInfo info;
  info.ProfileFileName = main_->ProfileFileName;
  info.EmulatorDir = main_->EmulatorDir;
  info.EmulatorExe = main_->EmulatorExe;
  info.EmulatorVersion = main_->EmulatorVersion;
  info.Games = main_->Games ? main_->Games->size() : 0;
  info.Resources = main_->Resources ? main_->Resources->size() : 0;
  verify::WriteReportHeader(*Report, info);
}

verify::VerifyCollection TVerifyFRM::CollectionOf(TMainFRM* main) {
  verify::VerifyCollection c;
  c.Games = main->Games.get();
  c.Resources = main->Resources.get();
  c.EmulatorDir = plat::WithSlash(main->EmulatorDir);
  c.RomPath = main->MAMEDirectories.rompath;
  c.SamplePath = main->MAMEDirectories.samplepath;
  for (size_t i = 0; i < main->PictureTabs.size(); ++i) {
    if (main->PictureTabs[i].empty()) continue;
    std::string caption;
    if (main->ScreenShotPGE && static_cast<int>(i) < main->ScreenShotPGE->count())
      caption = plat::ToAnsi(main->ScreenShotPGE->tabText(static_cast<int>(i)));
    c.PictureFolders.emplace_back(main->PictureTabs[i], caption);
  }
  TMainFRM* m = main;
  c.UnpackSet = [m](const std::string& name, uint8_t kind) {
    return m->UnpackSet(name, kind, false);
  };
  c.DeleteFolderTree = [m](const std::string& folder) { return m->DeleteFolderTree(folder); };
  c.FindSet = [m](const std::string& name, uint8_t kind) {
    return m->FindSetSource(name, kind, false);
  };

  return c;
}

void TVerifyFRM::GoBTNClick() {
  if (running_ || !GoBTN->isEnabled()) return;
  if (main_->MameCdEnabled &&
      main_->ShowMessageBox(kMameCdQuestion, plat::MB_YESNO | plat::MB_ICONWARNING) == plat::IDNO)
    return;
  Report = std::make_unique<TTextStream>();
  running_ = true;
  Aborted = false;
  Counters = {};  // a second run counts from nothing
  GoBTN->setDefault(true);
  AbortBTN->setDefault(false);
  SetIdle(false);
  StartTime = plat::Ui().NowMs();
  ElapsedTMR->start();
  WriteReportHeader();
  UpdateCounters(Counters);
  PassCount = 0;

  verify::VerifyEngine engine(CollectionOf(main_), Options(), *this, *Report);
  const bool done = engine.Run();
  PassCount = engine.PassCount;
  Counters = engine.Counters;
  running_ = false;
  Flush(true);
  if (!done) {
    // An aborted run keeps nothing: no resume, no file; earlier reports stay as they are.
    ElapsedTMR->stop();
    Report.reset();
    DeleteTempFolder();
    SetModalResult(mrAbort);
    hide();
    return;
  }
  FinishReport();
}

void TVerifyFRM::FinishReport() {
  ElapsedTMR->stop();
  ElapsedTMRTimer();
  verify::WriteReportResume(*Report, Options(), Counters, plat::ToAnsi(ElapsedTime->text()),
                            PassCount);
  const bool saved = SaveReport();
  Report.reset();
  if (auto wave = plat::ResolveNoCase(main_->ProgramDir + main_->PlayWaveAtVerifyEnd))
    if (plat::FileExists(*wave)) plat::Ui().PlaySound(*wave);
  if (saved && OpenInEditor->isChecked())
    main_->OpenInTextEditor(plat::ToLocal(LogFileName->text()));
  // The options and Go are back for another run; Enter closes the window.
  SetIdle(true);
  AbortBTN->setText("Close");
  GoBTN->setDefault(false);
  AbortBTN->setDefault(true);
}

bool TVerifyFRM::SaveReport() {
  for (;;) {
    const std::string file = plat::ToLocal(LogFileName->text());
    std::string error;
    if (!file.empty() && Report->SaveToFile(file, &error)) return true;
    // Written to a temporary name and renamed, so a failure leaves any earlier report whole.
    if (main_->ShowMessageBox("The verification report could not be written to\r" + file +
                                  (error.empty() ? "" : "\r" + error) +
                                  "\r\rWould you like to save it under another name?",
                              plat::MB_YESNO | plat::MB_ICONERROR) != plat::IDYES)
      return false;
    const std::string before = file;
    LogFileBrowseBTNClick();
    if (plat::ToLocal(LogFileName->text()) == before) return false;
  }
}

void TVerifyFRM::AbortBTNClick() {
  const QString caption = AbortBTN->text();
  if (caption == "Abort") {
    if (!running_) return;
    if (main_->ShowMessageBox(
            "This will terminate the rom scanning and discard the verification results.\r"
            "Are you sure you want to abort this process now?",
            plat::MB_YESNO | plat::MB_ICONWARNING) == plat::IDYES) {
      Aborted = true;
      hide();  // the run stops at its next check point and cleans up
    } else {
      Aborted = false;  // the run goes on; the window stays open afterwards
    }
    return;
  }
  close();
  SetModalResult(caption == "Close" ? mrOk : mrCancel);
}

void TVerifyFRM::LogFileBrowseBTNClick() {
  plat::FileDialogRequest req;
  req.save = true;
  req.title = "Select report file name";
  req.filter = "Text files (*.TXT)|*.TXT|All files (*.*)|*.*";
  req.defaultExt = "TXT";
  req.initialDir = main_->ProgramDir;
  req.fileName = plat::FileNameOf(plat::ToLocal(LogFileName->text()));
  req.overwritePrompt = true;
  if (auto name = plat::Ui().FileDialog(this, req)) LogFileName->setText(plat::FromLocal(*name));
}

void TVerifyFRM::ElapsedTMRTimer() {
  ElapsedTime->setText(Q(verify::FormatElapsed(plat::Ui().NowMs() - StartTime)));
}

// --- the engine's side ---

void TVerifyFRM::RefreshLabels() {
  PassNameLBL->setText(Q(passName_));
  SetNameLBL->setText(Q(setName_));
  ClonesLBL->setText(Q(clones_));
  // A range of one step at least: an empty range would show the busy animation.
  const int32_t maximum = maximum_ < 1 ? 1 : maximum_;
  ProgressBAR->setRange(0, maximum);
  ProgressBAR->setValue(position_ < 0 ? 0 : position_ > maximum ? maximum : position_);
  MissingRoms->setText(QString::number(Counters.MissingRomCount));
  CorruptRoms->setText(QString::number(Counters.CorruptRomCount));
  MissSpelled->setText(QString::number(Counters.MissSpelledCount));
  NoGoodMissing->setText(QString::number(Counters.NoGoodDumpCount));
  MissingSamples->setText(QString::number(Counters.MissingSampleCount));
  FaultySets->setText(QString::number(Counters.FaultySetCount));
  SkippedSets->setText(QString::number(Counters.SkippedCount));
  MissingImages->setText(QString::number(Counters.MissingImageCount));
  UnsupportedSets->setText(QString::number(Counters.UnsupportedCount));
  dirty_ = false;
}

void TVerifyFRM::Flush(bool force) {
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - lastFlush_ < std::chrono::milliseconds(40)) return;
  lastFlush_ = now;
  if (dirty_) RefreshLabels();
  // User input passes: the Abort button must answer; Go and the options are disabled.
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void TVerifyFRM::PassName(const std::string& text) { passName_ = text; dirty_ = true; }
void TVerifyFRM::SetName(const std::string& text) { setName_ = text; dirty_ = true; }
void TVerifyFRM::Clones(const std::string& text) { clones_ = text; dirty_ = true; }
void TVerifyFRM::Progress(int32_t position, int32_t maximum) {
  position_ = position;
  maximum_ = maximum;
  dirty_ = true;
}

void TVerifyFRM::UpdateCounters(const verify::VerifyCounters& counters) {
  Counters = counters;
  dirty_ = true;
  Flush(false);
}

void TVerifyFRM::LetMessagesThrough() { Flush(false); }

bool TVerifyFRM::CheckAbort() {
  Flush(false);
  if (plat::SessionEnding()) Aborted = true;  // nothing to ask: the run stops and cleans up
  if (Aborted && isVisible()) hide();
  return Aborted;
}

int TVerifyFRM::ShowMessage(const std::string& text, unsigned flags) {
  Flush(true);
  return main_->ShowMessageBox(text, flags);
}

void TMainFRM::MameVerifyACTNExecute() {
  TVerifyFRM window(this);
  window.ShowModal();
}
