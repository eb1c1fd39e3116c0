#include "launch/MAMEdir.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"

namespace {

std::string MAMEDirectoryRecord::*const kFields[11] = {
    &MAMEDirectoryRecord::inp,      &MAMEDirectoryRecord::hi,      &MAMEDirectoryRecord::cfg,
    &MAMEDirectoryRecord::snap,     &MAMEDirectoryRecord::memcard, &MAMEDirectoryRecord::artwork,
    &MAMEDirectoryRecord::rompath,  &MAMEDirectoryRecord::samplepath,
    &MAMEDirectoryRecord::nvram,    &MAMEDirectoryRecord::cheat,   &MAMEDirectoryRecord::sta};

}  // namespace

TMAMEDirFRM::TMAMEDirFRM(TMainFRM* main) : TOptionDialog(main, "MAMEDirFRM"), main_(main) {
  auto* layout = new QVBoxLayout(Body);
  layout->setContentsMargins(0, 0, 0, 0);
  Paths = new QTableWidget(11, 2, Body);
  Paths->setObjectName("Paths");
  Paths->setHorizontalHeaderLabels({"Path type", "Current assigned path"});
  Paths->verticalHeader()->hide();
  Paths->verticalHeader()->setDefaultSectionSize(20);
  Paths->horizontalHeader()->setStretchLastSection(true);
  Paths->setSelectionMode(QAbstractItemView::SingleSelection);
  Paths->setTabKeyNavigation(true);
  layout->addWidget(Paths);
  DirBrowseBTN = new QPushButton("&Browse...", this);
  DirBrowseBTN->setObjectName("DirBrowseBTN");
  DefaultBTN = new QPushButton("Defa&ult", this);
  DefaultBTN->setObjectName("DefaultBTN");
  ButtonRow->insertWidget(0, DirBrowseBTN);
  ButtonRow->insertWidget(1, DefaultBTN);
  connect(DirBrowseBTN, &QPushButton::clicked, this, [this] { DirBrowseBTNClick(); });
  connect(DefaultBTN, &QPushButton::clicked, this, [this] { DefaultBTNClick(); });
  resize(560, 330);
  FormShow();
}

std::string TMAMEDirFRM::Cell(int row) const {
  QTableWidgetItem* item = Paths->item(row - 1, 1);
  return item ? plat::ToLocal(item->text()) : std::string();
}

void TMAMEDirFRM::SetCell(int row, const std::string& text) {
  Paths->setItem(row - 1, 1, new QTableWidgetItem(plat::FromLocal(text)));
}

std::string TMAMEDirFRM::DefaultPath(int row) const {
  return main_->EmulatorDir + options::kDirectoryRows[row - 1].defaultName;
}

void TMAMEDirFRM::FormShow() {
  setWindowTitle("Velmora - MAME directories");
  Paths->setColumnWidth(0, 180);  // a third of the grid
  for (int row = 1; row <= 11; ++row) {
    auto* label = new QTableWidgetItem(QString::fromLatin1(options::kDirectoryRows[row - 1].label));
    label->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    Paths->setItem(row - 1, 0, label);
    SetCell(row, main_->MAMEDirectories.*kFields[row - 1]);
  }
  Paths->setCurrentCell(0, 1);
}

void TMAMEDirFRM::DirBrowseBTNClick() {
  const int row = Paths->currentRow() + 1;
  if (row < 1 || row > 11) return;
  const std::string label = plat::LowerCase(options::kDirectoryRows[row - 1].label);
  if (auto dir = plat::Ui().FolderDialog(this, "Choose " + label + " path:", Cell(row)))
    SetCell(row, *dir);
}

void TMAMEDirFRM::DefaultBTNClick() {
  if (plat::Ui().MessageBox(this, "Velmora",
                            "This will overwrite your MAME path settings.\rAre you sure?",
                            plat::MB_YESNO | plat::MB_ICONWARNING) != plat::IDYES)
    return;
  for (int row = 1; row <= 11; ++row) SetCell(row, DefaultPath(row));
}

bool TMAMEDirFRM::Accept() {
  int blank = 0;
  for (int row = 1; row <= 11; ++row) {
    SetCell(row, plat::Trim(Cell(row)));
    if (Cell(row).empty()) ++blank;
  }
  if (blank > 0 &&
      main_->ShowMessageBox(options::BlankPathsQuestion(blank),
                            plat::MB_YESNO | plat::MB_ICONQUESTION) != plat::IDYES)
    return false;
  CheckDirectories();
  return true;
}

void TMAMEDirFRM::CheckDirectories() {
  for (int row = 1; row <= 11; ++row) {
    if (Cell(row).empty()) SetCell(row, DefaultPath(row));
    const std::string path = Cell(row);
    if (options::kDirectoryRows[row - 1].mustExist) {
      // Relative folders are the emulator folder's.
      const std::string full =
          !path.empty() && path[0] == '/' ? path : plat::JoinPath(main_->EmulatorDir, path);
      if (!plat::DirExists(full) &&
          main_->ShowMessageBox("The directory " + path +
                                    " does not exist.\rDo you want Velmora to create it?",
                                plat::MB_YESNO | plat::MB_ICONQUESTION) == plat::IDYES &&
          !plat::MakeDirs(full))
        main_->ShowMessageBox("The directory " + path + " could not be created.",
                              plat::MB_ICONERROR);
    }
    main_->MAMEDirectories.*kFields[row - 1] = path;
  }
}

void TMainFRM::MameDirectoriesACTNExecute() {
  {
    TMAMEDirFRM dialog(this);
    dialog.ShowModal();
  }
  MAMEDirectories.rompath = AddCurrentDirToPath(MAMEDirectories.rompath);
  MAMEDirectories.samplepath = AddCurrentDirToPath(MAMEDirectories.samplepath);
}
