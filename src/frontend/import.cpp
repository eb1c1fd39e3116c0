#include "frontend/import.h"

#include <QApplication>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "frontend/CategoryFile.h"
#include "frontend/InputQuery.h"
#include "frontend/TreeLayout.h"
#include "frontend/WorkingProgress.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"

TFilterImportFRM::TFilterImportFRM(QWidget* owner) : TDXForm(owner) {
  setObjectName("FilterImportFRM");
  setMinimumSize(400, 328);
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  auto* info = new QGroupBox(" Filter information ", body);
  auto* grid = new QGridLayout(info);
  FilterTitle = new QLineEdit(info);
  FilterTitle->setObjectName("FilterTitle");
  auto* nameLabel = new QLabel("Filter &name:", info);
  nameLabel->setBuddy(FilterTitle);
  grid->addWidget(nameLabel, 0, 0);
  grid->addWidget(FilterTitle, 0, 1, 1, 3);
  QFont bold = font();
  bold.setBold(true);
  auto label = [&](const char* name) {
    auto* l = new QLabel(info);
    l->setObjectName(name);
    l->setFont(bold);
    return l;
  };
  FilterDate = label("FilterDate");
  ReleaseVersion = label("ReleaseVersion");
  FilterAuthor = label("FilterAuthor");
  MAMEVersion = label("MAMEVersion");
  grid->addWidget(FilterDate, 1, 0, 1, 2);
  grid->addWidget(ReleaseVersion, 1, 2, 1, 2);
  grid->addWidget(FilterAuthor, 2, 0, 1, 2);
  grid->addWidget(MAMEVersion, 2, 2, 1, 2);
  layout->addWidget(info);
  layout->addWidget(new QLabel("Specify in the box below the folders to import and their order", body));
  auto* middle = new QHBoxLayout;
  FolderSelector = new QListWidget(body);
  FolderSelector->setObjectName("FolderSelector");
  auto* side = new QVBoxLayout;
  MoveUpBTN = new QPushButton("Move &up", body);
  MoveDownBTN = new QPushButton("Move &down", body);
  ResetBTN = new QPushButton("&Reset", body);
  side->addWidget(MoveUpBTN);
  side->addWidget(MoveDownBTN);
  side->addWidget(ResetBTN);
  side->addStretch(1);
  middle->addWidget(FolderSelector, 1);
  middle->addLayout(side);
  layout->addLayout(middle, 1);
  layout->addLayout(OkCancelRow(body, OkBTN, CancelBTN));
  setCentralWidget(body);
  resize(460, 380);

  connect(MoveUpBTN, &QPushButton::clicked, this, [this] { MoveSelected(true); });
  connect(MoveDownBTN, &QPushButton::clicked, this, [this] { MoveSelected(false); });
  connect(ResetBTN, &QPushButton::clicked, this, [this] { ResetBTNClick(); });
  connect(OkBTN, &QPushButton::clicked, this, [this] {
    OkBTNClick();
    SetModalResult(mrOk);
  });
  connect(CancelBTN, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

TFilterImportFRM::~TFilterImportFRM() = default;

void TFilterImportFRM::showEvent(QShowEvent* e) {
  TDXForm::showEvent(e);
  CenterOnScreen(this);
}

void TFilterImportFRM::FillSectionList() {
  FolderSelector->clear();
  for (const Section& s : given_) {
    // Made whole before it joins the list: an item made in the list looks itself up among
    // all the rows before it is one, which made long lists slow to fill.
    auto* item = new QListWidgetItem(plat::FromAnsi(s.first));
    item->setData(Qt::UserRole, plat::FromAnsi(s.second));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    FolderSelector->addItem(item);
  }
}

void TFilterImportFRM::Execute(std::vector<Section>& sections) {
  given_ = sections;
  setWindowTitle("Velmora - Filter import options");
  FilterTitle->setText(plat::FromAnsi(FilterNameText));
  FilterDate->setText(plat::FromAnsi("Release date: " + ReleaseDate));
  ReleaseVersion->setText(plat::FromAnsi("Release version: " + Revision));
  FilterAuthor->setText(plat::FromAnsi("Author: " + Contact));
  MAMEVersion->setText(plat::FromAnsi("Supported MAME version: " + SupportedVersion));
  FillSectionList();
  sections.clear();
  chosen_.clear();
  if (!ShowModalForName(*this, *FilterTitle)) return;
  FilterNameText = plat::ToAnsi(FilterTitle->text());
  // The sections keep their real names, blanks and all.
  sections = chosen_;
}

void TFilterImportFRM::OkBTNClick() {
  chosen_.clear();
  for (int i = 0; i < FolderSelector->count(); ++i) {
    QListWidgetItem* item = FolderSelector->item(i);
    if (item->checkState() == Qt::Checked)
      chosen_.push_back({plat::ToAnsi(item->text()), plat::ToAnsi(item->data(Qt::UserRole).toString())});
  }
}

void TFilterImportFRM::ResetBTNClick() { FillSectionList(); }

void TFilterImportFRM::MoveSelected(bool up) {
  int row = FolderSelector->currentRow();
  if (row < 0) return;
  int to = up ? row - 1 : row + 1;
  if (to < 0 || to >= FolderSelector->count()) {
    QApplication::beep();
    return;
  }
  QListWidgetItem* item = FolderSelector->takeItem(row);
  FolderSelector->insertItem(to, item);
  FolderSelector->setCurrentRow(to);
}

// ---------------------------------------------------------------------------------------------
// The import actions of the main window.

namespace {

const char* const kUnknownFormat = ": unknown format";

std::string TooDeep() {
  return ": its folders nest deeper than " + std::to_string(gametree::MaxFolderDepth) + " levels";
}

// No import file comes near this size (a CatList of every game holds a few MB).
constexpr uint64_t kMaxImportSize = 64u << 20;

// Reads the whole file only when its first line (read alone, at most 64 KB) passes `test`;
// `known` tells whether it did. Only a regular file of a bounded size is read.
bool ReadIfFirstLine(const std::string& path, bool (*test)(std::string_view), std::string& text,
                     std::string& error, bool& known) {
  known = false;
  std::string head;
  if (!plat::ReadRegularFileHead(path, head, 64 * 1024, &error)) return false;
  if (!test(categoryfile::FirstLine(head))) return true;
  if (!plat::ReadRegularFile(path, text, kMaxImportSize, &error)) return false;
  known = test(categoryfile::FirstLine(text));
  return true;
}

bool IsMacMameFirstLine(std::string_view line) {
  return plat::Trim(line) == categoryfile::kMacMameHeader;
}

}  // namespace

void TMainFRM::FileFilterImportCatVerACTNExecute() {
  plat::FileDialogRequest req;
  req.title = "Import CatList's file";
  req.defaultExt = "INI";
  req.filter = "CatList's files (*.INI)|*.INI";
  req.initialDir = FiltersFolder();
  req.mustExist = true;
  auto chosen = plat::Ui().FileDialog(this, req);
  if (!chosen) return;
  const std::string& path = *chosen;
  std::string text, error;
  std::optional<categoryfile::CatList> list;
  bool read = false, known = false;
  {
    WorkingProgress progress(this, "Testing CatList's file...", -1);
    read = ReadIfFirstLine(path, &categoryfile::IsCatListFirstLine, text, error, known);
    if (read && known) list = categoryfile::ParseCatList(text);
  }
  if (!read) {
    ShowMessageBox("Cannot import " + path + ": " + error, plat::MB_ICONERROR);
    return;
  }
  if (!list) {
    ShowMessageBox("Cannot import " + path + kUnknownFormat, plat::MB_ICONERROR);
    return;
  }
  if (!Games || Games->empty()) return;

  std::vector<TFilterImportFRM::Section> sections;
  for (const auto& s : list->Sections)
    sections.push_back({s.Info.empty() ? s.Name : s.Name + " (" + s.Info + ")", s.Name});
  std::string name;
  {
    TFilterImportFRM options;
    options.FilterNameText = list->FilterName;
    options.ReleaseDate = list->Release;
    options.SupportedVersion = list->SupportedMameVersion;
    options.Revision = list->Revision;
    options.Contact = list->Contact;
    options.Execute(sections);
    name = options.FilterNameText;
  }
  if (sections.empty()) return;
  std::vector<const categoryfile::CatList::Section*> chosenSections;
  for (const auto& s : sections)
    if (const auto* found = list->Find(s.second)) chosenSections.push_back(found);

  auto filter = types::NewFilterDescriptor();
  filter->Name = name;
  bool deep = false;
  {
    WorkingProgress progress(this, "Importing CatList's file...");
    auto folders = categoryfile::CatListFolders(chosenSections);
    for (size_t i = 0; i < Games->size() && !deep; ++i) {
      GameRecord* g = (*Games)[i].get();
      if ((i & 255) == 0) progress.Set(i, Games->size());
      if (!g || g->Kind != KIND_GAME) continue;
      auto folder = folders.find(g->Name.str());
      if (folder == folders.end()) continue;
      deep = gametree::FolderDepth(folder->second) > gametree::MaxFolderDepth;
      auto e = types::NewFilterEntryDescriptor();
      e->Game = g;
      e->Folder = std::move(folder->second);
      filter->Entries->push_back(std::move(e));
    }
  }
  if (deep) {
    ShowMessageBox("Cannot import " + path + TooDeep(), plat::MB_ICONERROR);
    return;
  }
  AppendFilter(std::move(filter));
}

void TMainFRM::FileFilterImportMacMameACTNExecute() {
  plat::FileDialogRequest req;
  req.title = "Import MacMAME grouping file";
  req.filter = "MacMAME grouping files (*.*)|*.*";
  req.initialDir = FiltersFolder();
  req.mustExist = true;
  req.multiSelect = true;
  auto chosen = plat::Ui().FileDialog(this, req);
  if (!chosen) return;
  std::vector<std::string> files;
  for (size_t i = 0; i <= chosen->size();) {
    size_t j = chosen->find('\n', i);
    if (j == std::string::npos) j = chosen->size();
    if (j > i) files.push_back(chosen->substr(i, j - i));
    i = j + 1;
  }
  for (const std::string& path : files) {
    std::string text, error;
    bool read = false, known = false;
    {
      WorkingProgress progress(this, "Testing grouping file...", -1);
      read = ReadIfFirstLine(path, &IsMacMameFirstLine, text, error, known);
    }
    if (!read) {
      ShowMessageBox("Cannot import " + path + ": " + error, plat::MB_ICONERROR);
      continue;
    }
    if (!known) {
      ShowMessageBox("Cannot import " + path + kUnknownFormat, plat::MB_ICONERROR);
      continue;
    }
    auto filter = types::NewFilterDescriptor();
    // Named after the file: its name is the locale's bytes, the filter's Windows-1252.
    filter->Name = plat::ToAnsi(plat::FromLocal(plat::FileNameOf(path)));
    bool deep = false;
    {
      WorkingProgress progress(this, "Importing grouping file...");
      categoryfile::ParseMacMame(
          text,
          [&](const std::string& set, const std::string& folder) {
            GameRecord* g = deep ? nullptr : FindGameByName(set);
            if (!g) return;
            deep = gametree::FolderDepth(folder) > gametree::MaxFolderDepth;
            if (deep) return;
            auto e = types::NewFilterEntryDescriptor();
            e->Game = g;
            e->Folder = folder;
            filter->Entries->push_back(std::move(e));
          },
          [&progress](size_t d, size_t t) { progress.Set(d, t); });
    }
    if (deep) {
      ShowMessageBox("Cannot import " + path + TooDeep(), plat::MB_ICONERROR);
      continue;
    }
    AppendFilter(std::move(filter));
  }
}
