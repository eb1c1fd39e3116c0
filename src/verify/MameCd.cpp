#include "verify/MameCd.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <filesystem>
#include <optional>
#include <set>

#include "database/Report.h"
#include "database/Working.h"
#include "frontend/WorkingProgress.h"
#include "frontend/main.h"
#include "launch/SetSources.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "platform/SafeName.h"
#include "platform/Seams.h"
#include "platform/SessionEnd.h"

TMameCdFRM* MameCdFRM = nullptr;

namespace {

QString BytesText(int64_t n) {
  return QString::fromStdString(discsets::GroupedDigits(n < 0 ? 0 : static_cast<uint64_t>(n)));
}

// A set left off the discs, as the end of a run lists it.
std::string LeftOut(const std::string& name) {
  return "[" + name + "]" +
         (discsets::IsIndexName(name) ? "" : " (a name the disc index cannot hold)");
}

// Why a set could not be copied, after its name.
std::string Why(const std::string& error) { return error.empty() ? "" : ": " + error; }

const char* const kNoSpace =
    "The path you selected resides on a disk with not enough space to hold the required disc "
    "images.\rYou need ";

std::string Upper(const std::string& s) { return plat::UpperCase(s); }

bool IsArchive(const std::string& path) {
  const std::string ext = Upper(plat::ExtensionOf(path));
  return ext == ".ZIP" || ext == ".RAR" || ext == ".ACE";
}

bool IsRegularFile(const std::string& path, int64_t* size = nullptr) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (size) *size = static_cast<int64_t>(st.st_size);
  return true;
}

// "~" and relative destinations made absolute, separators as the platform has them.
std::string ExpandPath(const std::string& text) {
  std::string t = plat::ToNativeSeparators(plat::Trim(text));
  if (t.empty()) return t;
  if (t[0] == '~') t = QDir::homePath().toStdString() + t.substr(1);
  if (t[0] != '/') t = plat::AbsolutePath(t);
  return t;
}

}  // namespace

TMameCdFRM::TMameCdFRM(QWidget* owner) : TDXForm(owner) {
  setObjectName("MameCdFRM");
  auto* central = new QWidget(this);
  setCentralWidget(central);
  auto* grid = new QGridLayout;
  DestinationDirLBL = new QLabel("&Destination directory:", central);
  DestinationDir = new QLineEdit(central);
  DestinationDirLBL->setBuddy(DestinationDir);
  DestinationDirBrowseBTN = new QPushButton("&Browse...", central);
  MaxDiscSpaceLBL = new QLabel("Maximum disc &space (MB):", central);
  MaxDiscSpace = new QComboBox(central);
  for (uint32_t mb : discsets::kDiscSizes) MaxDiscSpace->addItem(QString::number(mb));
  MaxDiscSpaceLBL->setBuddy(MaxDiscSpace);
  DiscTypeLBL = new QLabel("Disc &type:", central);
  DiscType = new QComboBox(central);
  for (const char* t : discsets::kDiscTypes) DiscType->addItem(t);
  DiscTypeLBL->setBuddy(DiscType);
  grid->addWidget(DestinationDirLBL, 0, 0);
  grid->addWidget(DestinationDir, 0, 1);
  grid->addWidget(DestinationDirBrowseBTN, 0, 2);
  grid->addWidget(MaxDiscSpaceLBL, 1, 0);
  grid->addWidget(MaxDiscSpace, 1, 1);
  grid->addWidget(DiscTypeLBL, 2, 0);
  grid->addWidget(DiscType, 2, 1);

  QFont bold = font();
  bold.setBold(true);
  Pass = new QLabel(central);
  Pass->setFont(bold);
  SetName = new QLabel(central);
  SetName->setFont(bold);
  Clones = new QLabel(central);
  Clones->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  TotDiscs = new QLabel(central);
  HDDSpace = new QLabel(central);
  FreeSpace = new QLabel(central);
  PositionBAR = new QProgressBar(central);
  auto* status = new QGridLayout;
  status->addWidget(new QLabel("Pass:", central), 0, 0);
  status->addWidget(Pass, 0, 1, 1, 3);
  status->addWidget(new QLabel("Set:", central), 1, 0);
  status->addWidget(SetName, 1, 1);
  status->addWidget(new QLabel("Clones:", central), 1, 2);
  status->addWidget(Clones, 1, 3);
  status->addWidget(new QLabel("Disc:", central), 2, 0);
  status->addWidget(TotDiscs, 2, 1);
  status->addWidget(new QLabel("Bytes needed:", central), 3, 0);
  status->addWidget(HDDSpace, 3, 1);
  status->addWidget(new QLabel("Bytes free:", central), 3, 2);
  status->addWidget(FreeSpace, 3, 3);

  GoBTN = new QPushButton("&Go", central);
  GoBTN->setDefault(true);
  CancelBTN = new QPushButton("&Cancel", central);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(GoBTN);
  buttons->addWidget(CancelBTN);
  auto* box = new QVBoxLayout(central);
  box->addLayout(grid);
  box->addLayout(status);
  box->addWidget(PositionBAR);
  box->addLayout(buttons);

  connect(DestinationDir, &QLineEdit::textChanged, this, [this] { DestinationDirChange(); });
  connect(DestinationDirBrowseBTN, &QPushButton::clicked, this,
          [this] { DestinationDirBrowseBTNClick(); });
  connect(GoBTN, &QPushButton::clicked, this, [this] { GoBTNClick(); });
  connect(CancelBTN, &QPushButton::clicked, this, [this] { CancelBTNClick(); });
}

void TMameCdFRM::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
    CancelBTNClick();  // Cancel, or Abort during a run
    return;
  }
  TDXForm::keyPressEvent(e);
}

void TMameCdFRM::closeEvent(QCloseEvent* e) {
  if (running_) {
    e->ignore();
    CancelBTNClick();
    return;
  }
  TDXForm::closeEvent(e);
}

TMameCdFRM::~TMameCdFRM() {
  if (MameCdFRM == this) MameCdFRM = nullptr;
}

void TMameCdFRM::showEvent(QShowEvent* e) {
  TDXForm::showEvent(e);
  // Made before the main window, with no owner to be placed over: centred on the screen.
  if (QScreen* s = screen()) {
    QRect r = frameGeometry();
    r.moveCenter(s->availableGeometry().center());
    move(r.topLeft());
  }
  FormShow();
}

void TMameCdFRM::FormShow() {
  setWindowTitle("Velmora - Create MAMECDs");
  MaxDiscSpace->setCurrentIndex(1);
  DiscType->setCurrentIndex(DiscType->count() - 1);
  DestinationDir->setText(plat::FromLocal(plat::WithSlash(QDir::homePath().toStdString()) + "MAMECD/"));
  Pass->clear();
  SetName->clear();
  Clones->setText("0");
  TotDiscs->setText("0/0");
  HDDSpace->setText("0");
  FreeSpace->setText(BytesText(DriveFreeSpace(QDir::homePath().toStdString())));
  PositionBAR->setRange(0, 100);
  PositionBAR->setValue(0);
  CancelBTN->setText("&Cancel");
  EnableOptions(true);
}

void TMameCdFRM::DestinationDirChange() {
  const std::string dest = ExpandPath(plat::ToLocal(DestinationDir->text()));
  if (!dest.empty()) FreeSpace->setText(BytesText(DriveFreeSpace(dest)));
}

void TMameCdFRM::DestinationDirBrowseBTNClick() {
  auto chosen = plat::Ui().FolderDialog(this, "Choose destination directory:",
                                        plat::ToLocal(DestinationDir->text()));
  if (chosen) DestinationDir->setText(plat::FromLocal(*chosen));
}

void TMameCdFRM::CancelBTNClick() {
  if (CancelBTN->text() != "&Abort") {
    SetModalResult(mrCancel);
    hide();
    return;
  }
  // An abort stops between two sets and keeps what was written; nothing is deleted.
  const int answer = plat::Ui().MessageBox(
      this, "Velmora",
      "This will stop the MAMECD disc creation after the current set.\r"
      "The disc folders written so far stay in the destination directory: nothing is "
      "deleted.\r\rAre you sure?",
      plat::MB_YESNO | plat::MB_ICONWARNING);
  Abort = answer == plat::IDYES ? 1 : 0;
}

// The folder itself when it exists, else its nearest existing parent; "" when none.
static std::string ExistingFolder(const std::string& path) {
  std::string p = path.empty() ? std::string() : ExpandPath(path);
  while (!p.empty()) {
    if (plat::DirExists(p)) return p;
    if (p == "/") break;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const size_t slash = p.rfind('/');
    p = slash == std::string::npos ? std::string() : p.substr(0, slash == 0 ? 1 : slash);
  }
  return {};
}

int64_t TMameCdFRM::DriveFreeSpace(const std::string& path) {
  const std::string p = ExistingFolder(path);
  struct statvfs fs;
  if (p.empty() || statvfs(p.c_str(), &fs) != 0) return -1;
  return static_cast<int64_t>(fs.f_bavail) * static_cast<int64_t>(fs.f_frsize);
}

bool TMameCdFRM::Aborted() {
  // User input passes (the window is modal): Abort and closing must answer; Go is disabled
  // and cannot start a second run.
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
  if (plat::SessionEnding()) Abort = 1;  // stopped as an abort, nothing asked
  if (!Abort) return false;
  SetModalResult(mrCancel);
  hide();
  return true;
}

void TMameCdFRM::EnableOptions(bool enable) {
  for (QWidget* w : std::initializer_list<QWidget*>{GoBTN, DestinationDir, DestinationDirLBL,
                                                    DestinationDirBrowseBTN, MaxDiscSpace,
                                                    MaxDiscSpaceLBL, DiscType, DiscTypeLBL})
    w->setEnabled(enable);
  for (QComboBox* c : {MaxDiscSpace, DiscType}) {
    QPalette pal = c->palette();
    pal.setColor(QPalette::Base, palette().color(enable ? QPalette::Base : QPalette::Button));
    c->setPalette(pal);
  }
}

bool TMameCdFRM::MakeDirectories(const std::string& path) {
  const std::string p = plat::ToNativeSeparators(path);
  std::string prefix = !p.empty() && p[0] == '/' ? "/" : "";
  bool ok = true;
  size_t i = 0;
  while (i < p.size()) {
    size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    if (j > i) {
      prefix += p.substr(i, j - i) + "/";
      if (!plat::DirExists(prefix)) {
        std::error_code ec;
        std::filesystem::create_directory(prefix, ec);
        if (ec || !plat::DirExists(prefix)) ok = false;
      }
    }
    i = j + 1;
  }
  return ok;
}

uint64_t TMameCdFRM::GetSetSize(uint8_t kind, const std::string& name) {
  if (!Main || !discsets::IsIndexName(name)) return 0;
  const std::string path = Main->FindSetSource(name, kind, false);
  if (path.empty()) return 0;
  int64_t size = 0;
  if (IsArchive(path)) return IsRegularFile(path, &size) ? static_cast<uint64_t>(size) : 0;
  uint64_t total = 0;
  for (const std::string& file : plat::ListDir(path))
    if (IsRegularFile(plat::JoinPath(path, file), &size)) total += static_cast<uint64_t>(size);
  return total;
}

uint64_t TMameCdFRM::CopySet(uint8_t kind, const std::string& destDir, const std::string& name,
                             std::string* error) {
  if (!Main || !discsets::IsIndexName(name)) return 0;  // its disc could never be found
  const std::string dir = plat::WithSlash(destDir);
  const std::string path = Main->FindSetSource(name, kind, false);
  if (path.empty()) return 0;
  int64_t size = 0;
  // By the writer's rules: what is there is replaced only when it may be written.
  if (IsArchive(path)) {
    if (!IsRegularFile(path, &size)) return 0;
    return plat::CopyFileAtomic(path, dir + plat::FileNameOf(path), error)
               ? static_cast<uint64_t>(size)
               : 0;
  }
  const auto setDir = plat::NameInFolder(dir, name);
  if (!setDir || !MakeDirectories(*setDir)) return 0;
  uint64_t total = 0;
  for (const std::string& file : plat::ListDir(path)) {
    const std::string source = plat::JoinPath(path, file);
    if (!IsRegularFile(source, &size)) continue;  // sub-folders stay behind
    if (!plat::CopyFileAtomic(source, *setDir + "/" + file, error)) return 0;
    total += static_cast<uint64_t>(size);
  }
  return total;
}

bool TMameCdFRM::IsResource(const std::string& name) const {
  if (!Main) return false;
  const GameRecord* g = Main->FindGameByName(name);
  return g && g->Kind == KIND_RESOURCE && g->Name.str() == name;
}

void TMameCdFRM::Step(const std::string& pass, const std::string& set, size_t clones) {
  Pass->setText(plat::FromAnsi(pass));
  SetName->setText(plat::FromAnsi(set));
  Clones->setText(QString::number(clones));
}

uint64_t TMameCdFRM::CreateDisc() {
  const int max = PositionBAR->maximum(), pos = PositionBAR->value();
  ++discCounter_;
  const std::string n = std::to_string(discCounter_);
  Step("Creating disc " + n, "", 0);
  PositionBAR->setRange(0, 100);
  PositionBAR->setValue(0);
  TotDiscs->setText(QString::fromStdString(n + "/" + std::to_string(estimatedDiscs_)));
  plat::ProcessPendingEvents();
  const std::string folder = destination_ + "DISC" + n + "/";
  discFolders_.push_back(folder);
  MakeDirectories(folder + "ROMS");
  MakeDirectories(folder + "SAMPLES");
  copiedResources_.emplace_back();
  copiedSamples_.emplace_back();
  uint64_t used = 0;
  auto copyAll = [&](const std::vector<std::string>& names, uint8_t kind, const char* sub,
                     std::vector<std::string>& copied) {
    for (size_t i = 0; i < names.size(); ++i) {
      PositionBAR->setValue(TWorkingFRM::Percentage(static_cast<int32_t>(i),
                                                    static_cast<int32_t>(names.size())));
      SetName->setText(plat::FromAnsi("[" + names[i] + "]"));
      plat::ProcessPendingEvents();
      std::string error;
      const uint64_t bytes = CopySet(kind, folder + sub, names[i], &error);
      if (bytes > 0) {
        used += bytes;
        copied.push_back(names[i]);
      } else {
        FailedSets.push_back(LeftOut(names[i]) + " (disc " + n + ")" + Why(error));
      }
    }
  };
  Pass->setText(QString::fromStdString("Creating disc " + n + " - copying resources"));
  copyAll(resources_, discsets::ROM_SET, "ROMS", copiedResources_.back());
  Pass->setText(QString::fromStdString("Creating disc " + n + " - copying samples"));
  copyAll(sampleSets_, discsets::SAMPLE_SET, "SAMPLES", copiedSamples_.back());
  PositionBAR->setRange(0, max);
  PositionBAR->setValue(pos);
  return used;
}

void TMameCdFRM::FreeWorkLists() {
  discFolders_.clear();
  romIndex_.clear();
  copiedResources_.clear();
  copiedSamples_.clear();
  resources_.clear();
  sampleSets_.clear();
}

// The end of a run that was not aborted: the list of what was left out, the end sound, and
// the window kept open with "&Close".
void TMameCdFRM::Finish() {
  Step("Done: " + std::to_string(discCounter_) + " disc(s) written", "", 0);
  FreeWorkLists();
  if (!FailedSets.empty() && Main) {
    std::string text = std::to_string(FailedSets.size()) +
                       " set(s) could not be found or copied and are not on the discs:\r";
    for (size_t i = 0; i < FailedSets.size() && i < 30; ++i) text += "\r" + FailedSets[i];
    if (FailedSets.size() > 30) text += "\r...";
    Main->ShowMessageBox(text, plat::MB_ICONWARNING);
  }
  if (Main)
    if (auto wave = plat::ResolveNoCase(Main->ProgramDir + Main->PlayWaveAtVerifyEnd))
      if (plat::FileExists(*wave)) plat::Ui().PlaySound(*wave);
  CancelBTN->setText("&Close");
  EnableOptions(true);
}

void TMameCdFRM::GoBTNClick() {
  if (running_) return;
  running_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{running_};
  Abort = 0;
  FailedSets.clear();
  FreeWorkLists();
  EnableOptions(false);
  CancelBTN->setText("&Abort");
  auto idle = [this] {  // a run refused before any copy: the options come back
    FreeWorkLists();
    CancelBTN->setText("&Cancel");
    EnableOptions(true);
  };
  auto message = [this](const std::string& text, unsigned flags) {
    return Main ? Main->ShowMessageBox(text, flags)
                : plat::Ui().MessageBox(this, "Velmora", text, flags);
  };
  std::string dest = ExpandPath(plat::ToLocal(DestinationDir->text()));
  DestinationDir->setText(plat::FromLocal(dest));
  const int64_t free = dest.empty() ? 0 : DriveFreeSpace(dest);
  FreeSpace->setText(BytesText(free));
  HDDSpace->setText("0");
  destination_ = plat::WithSlash(dest);
  if (!Main || !Main->Games || Main->Games->empty()) {
    Finish();
    return;
  }
  // Where the folders would be made must take them: told before the space is weighed.
  if (const std::string folder = ExistingFolder(dest); !folder.empty() && !plat::DirWritable(folder)) {
    message("The directory " + folder + " cannot be written to: it is read-only.\r\r"
            "Please select another target drive and try again.",
            plat::MB_ICONERROR);
    return idle();
  }

  // Prescan: the blocks, the resources and the sample sets, with the estimate as it grows.
  const GameList& games = *Main->Games;
  const uint64_t limit =
      DiscBytes ? DiscBytes : discsets::DiscLimit(MaxDiscSpace->currentIndex());
  discsets::Prescan scan([this](uint8_t k, const std::string& n) { return GetSetSize(k, n); },
                         [this](const std::string& n) { return IsResource(n); });
  Step("Database prescan", "", 0);
  PositionBAR->setRange(0, static_cast<int>(games.size()));
  PositionBAR->setValue(0);
  discsets::Estimate estimate;
  for (size_t i = 0; i < games.size(); ++i) {
    const GameRecord* g = games[i].get();
    if (!g) continue;
    SetName->setText(plat::FromAnsi("[" + g->Name.str() + "]"));
    Clones->setText("0");
    if (Aborted()) return FreeWorkLists();
    scan.AddGame(*g);
    PositionBAR->setValue(static_cast<int>(i + 1));
    auto e = discsets::EstimateSpace(scan.BlockBytes(), scan.Overhead(), limit);
    if (!e) {
      message("The resources and sample sets that go onto every disc need " +
                  std::to_string(scan.Overhead()) + " bytes, but a disc holds only " +
                  std::to_string(limit) + " bytes.\rPlease choose a larger disc size.",
              plat::MB_ICONERROR);
      return idle();
    }
    estimate = *e;
    estimatedDiscs_ = estimate.Discs;
    HDDSpace->setText(BytesText(static_cast<int64_t>(std::min<uint64_t>(estimate.Bytes, INT64_MAX))));
    TotDiscs->setText(QString::fromStdString("0/" + std::to_string(estimate.Discs)));
    if (Aborted()) return FreeWorkLists();
  }
  resources_ = scan.Resources;
  sampleSets_ = scan.SampleSets;

  if (free < 0 || estimate.Bytes >= static_cast<uint64_t>(free) ||
      static_cast<uint64_t>(free) - estimate.Bytes <= 100000000u) {
    message(kNoSpace + HDDSpace->text().toStdString() + " bytes, but you just have " +
                FreeSpace->text().toStdString() +
                " bytes free on your disk.\r\rPlease select another target drive and try again.",
            plat::MB_ICONERROR);
    return idle();
  }
  if (!plat::DirExists(destination_)) {
    if (message("The directory " + dest + " does not exist.\rDo you wish to create it?",
                plat::MB_YESNO | plat::MB_ICONQUESTION) != plat::IDYES)
      return idle();
    if (!MakeDirectories(destination_)) {
      message("The directory " + dest + " could not be created!\rPlease check the path and try again.",
              plat::MB_ICONERROR);
      return idle();
    }
  } else {
    // Disc folders of an earlier run would be overwritten file by file, or left stale.
    bool earlier = false;
    for (const std::string& n : plat::ListDir(destination_))
      earlier = earlier || (Upper(n).rfind("DISC", 0) == 0 && n.size() > 4 &&
                            plat::DirExists(destination_ + n));
    if (earlier &&
        message("The directory " + dest + " already holds disc folders of an earlier run.\r"
                "Their files will be overwritten, and discs beyond the new ones stay as they are.\r\r"
                "Continue anyway?",
                plat::MB_YESNO | plat::MB_ICONWARNING) != plat::IDYES)
      return idle();
  }

  // Copy, block by block, each onto the disc the plan gives it.
  std::vector<uint64_t> sizes;
  for (const discsets::Block& b : scan.Blocks) sizes.push_back(b.Size);
  const std::vector<uint32_t> plan = discsets::PlanDiscs(sizes, scan.Overhead(), limit);
  discCounter_ = 0;
  CreateDisc();
  Step("", "", 0);
  PositionBAR->setRange(0, static_cast<int>(scan.Blocks.size()));
  PositionBAR->setValue(0);
  auto copyRom = [&](const std::string& name) {
    std::string error;
    if (CopySet(discsets::ROM_SET, discFolders_.back() + "ROMS", name, &error) > 0)
      romIndex_.emplace_back(name, discCounter_);
    else
      FailedSets.push_back(LeftOut(name) + Why(error));
  };
  for (size_t b = 0; b < scan.Blocks.size(); ++b) {
    const discsets::Block& block = scan.Blocks[b];
    while (discCounter_ < plan[b]) CreateDisc();
    Step("Copying block [" + block.Name + "]", "[" + block.Name + "]", block.Clones.size());
    if (Aborted()) return FreeWorkLists();
    copyRom(block.Name);
    for (const std::string& clone : block.Clones) {
      SetName->setText(plat::FromAnsi("[" + clone + "]"));
      if (Aborted()) return FreeWorkLists();
      copyRom(clone);
    }
    PositionBAR->setValue(static_cast<int>(b + 1));
  }

  // The index of every disc.
  Step("Creating INI files", "", 0);
  PositionBAR->setRange(0, static_cast<int>(discFolders_.size()));
  PositionBAR->setValue(0);
  discsets::IndexContent content;
  content.Advanced = DiscType->currentIndex() > 0;
  const QDateTime now = QDateTime::fromMSecsSinceEpoch(plat::Ui().NowMs()).toUTC();
  QString timeFormat = QLocale::system().timeFormat(QLocale::LongFormat);
  timeFormat.remove(QLatin1Char('t'));
  content.CreatedOn = plat::ToAnsi(QLocale::system().toString(now.date(), QLocale::ShortFormat) +
                                   " " + QLocale::system().toString(now.time(), timeFormat.trimmed()));
  do content.Serial = plat::Ui().Random(0x7FFFFFFFu);
  while (content.Serial == 0);
  content.RomIndex = romIndex_;
  for (size_t k = 0; k < discFolders_.size(); ++k) {
    const std::string text = discsets::BuildDiscIndex(content, static_cast<uint32_t>(k + 1),
                                                      copiedResources_[k], copiedSamples_[k]);
    std::string error;
    if (!plat::WriteFileAtomic(plat::PathForWrite(discFolders_[k] + "MAMECD.INI"), text, &error))
      FailedSets.push_back("MAMECD.INI of disc " + std::to_string(k + 1) + ": " + error);
    PositionBAR->setValue(static_cast<int>(k + 1));
    if (Aborted()) return FreeWorkLists();
  }
  PositionBAR->setRange(0, 100);
  PositionBAR->setValue(100);
  plat::ProcessPendingEvents();
  Finish();
}

// --- disc information ---

void TMameCdFRM::ShowDiscInformation() {
  if (!Main) return;
  const std::string index = launch::DiscIndexFile(Main->MameCdDrive);
  if (index.empty()) {
    Main->ShowMessageBox("No MAMECD compliant disc in drive.\rInsert a MAMECD disc and try again.",
                         plat::MB_ICONINFORMATION);
    return;
  }
  std::string text, error;
  bool read = false;
  {
    WorkingProgress reading(Main, "Reading MAMECD index...", -1);
    read = plat::ReadRegularFile(index, text, plat::IniFile::kMaxFileSize, &error);
  }
  if (!read) {
    Main->ShowMessageBox("The MAMECD index \"" + index + "\" could not be read:\r" + error,
                         plat::MB_ICONERROR);
    return;
  }
  const discsets::DiscInformation info =
      discsets::ReadDiscInformation(text, launch::DiscDriveRoot(Main->MameCdDrive));
  if (info.Result == discsets::DiscInformation::NewerFormat) {
    Main->ShowMessageBox("This MAMECD format is not handled by this version of Velmora.\r"
                         "Please upgrade to the latest version.",
                         plat::MB_ICONERROR);
    return;
  }
  std::optional<WorkingProgress> working(std::in_place, Main, "Analyzing MAMECD index...", 0);
  working->Step("Building report...", -1);
  TReportFRM report(this);
  report.NewDocument("Velmora - MAMECD disc information", Main->ProgramDir + "MAMECD_informations",
                     true, true);
  report.AddTitle("CD information", Main->BoldFontSize + 4, Main->NormalFontSize);
  for (const std::string& line : info.Lines) report.AddLine(line);
  working.reset();
  report.ShowReport();
}

// --- the main window's actions ---

void TMainFRM::OptionsCreateCdACTNExecute() {
  if (!MameCdFRM) return;
  MameCdFRM->Main = this;
  MameCdFRM->ShowModal();
}

void TMainFRM::OptionsCDInfoACTNExecute() {
  if (!MameCdFRM) return;
  MameCdFRM->Main = this;
  MameCdFRM->ShowDiscInformation();
}
