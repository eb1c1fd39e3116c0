// The main window's game tree: the filter tabs, building the tree of a filter, sorting,
// selecting a game, quick search, and the folder lists of a profile.
#include <QAction>
#include <QToolButton>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QTabBar>
#include <QTextEdit>
#include <QTreeView>

#include "frontend/GameTreeModel.h"
#include "frontend/QuickInfo.h"
#include "frontend/TreeLayout.h"
#include "frontend/WorkingProgress.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/SafeName.h"
#include "platform/Seams.h"

namespace {

// Quick search and Enter in the tree; every other key goes on to the tree.
class TreeKeys : public QObject {
 public:
  explicit TreeKeys(TMainFRM* owner) : QObject(owner), owner_(owner) {}
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
      return QObject::eventFilter(watched, event);
    auto* k = static_cast<QKeyEvent*>(event);
    const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
    if (enter && event->type() == QEvent::KeyRelease) {
      released_ = true;
      releaseTime_ = k->timestamp();
      return false;
    }
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    int code = -1;
    if (enter) {
      // A held key starts no game: its repeats are flagged, or (when the flag is missed) come
      // in the same millisecond as the release the display sent before them.
      if (k->isAutoRepeat() || (released_ && k->timestamp() - releaseTime_ <= 1)) return true;
      code = 13;
    }
    else if (!k->text().isEmpty() && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
      code = k->text().at(0).unicode();
    if (code < 0) return false;
    bool used = true;
    owner_->Guarded([&] { used = owner_->TreeListKeyPress(code); });
    return used;
  }
 private:
  TMainFRM* owner_;
  bool released_ = false;
  quint64 releaseTime_ = 0;
};

}  // namespace

GameTreeModel* TMainFRM::GameTree() {
  if (auto* m = qobject_cast<GameTreeModel*>(TreeList->model())) return m;
  auto* model = new GameTreeModel(TreeList);
  TreeList->setModel(model);
  TreeList->setUniformRowHeights(true);
  TreeList->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(TreeList->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex&, const QModelIndex&) { Guarded([this] { TreeListChange(); }); });
  connect(TreeList, &QTreeView::doubleClicked, this,
          [this](const QModelIndex&) { Guarded([this] { TreeListDblClick(); }); });
  TreeList->installEventFilter(new TreeKeys(this));
  return model;
}

std::string TMainFRM::CleanManufacturerName(const std::string& text) {
  return gametree::CleanManufacturerName(text);
}

void TMainFRM::GenerateFolderLists() {
  if (!Games || Games->empty()) return;
  WorkingProgress working(this, "Generating folder lists...", -1);
  gametree::FolderLists lists;
  working.Set(0);
  gametree::GenerateFolderLists(
      Games.get(), lists,
      [](void* ctx, size_t i, size_t last) { static_cast<WorkingProgress*>(ctx)->Progress(i, last); },
      &working);
  AlphabetFolders = std::move(lists.Alphabet);
  ManufacturerFolders = std::move(lists.Manufacturer);
  YearFolders = std::move(lists.Year);
  MinYear = lists.MinYear;
  MaxYear = lists.MaxYear;
}

void TMainFRM::RebuildFilterTabs(int32_t index) {
  if (!Filters) return;
  int before = ListTabs->currentIndex();
  {
    QSignalBlocker block(ListTabs);
    while (ListTabs->count() > 0) ListTabs->removeTab(ListTabs->count() - 1);
    for (size_t i = 0; i < Filters->size(); ++i) {
      const FilterDescriptor* f = (*Filters)[i].get();
      const QString name = plat::FromAnsi(f ? f->Name : std::string());
      ListTabs->setTabToolTip(ListTabs->addTab(name), name);  // the whole name of a shortened tab
    }
    int want = index < 0 ? before : index;
    if (want >= ListTabs->count()) want = ListTabs->count() - 1;
    if (want >= 0) ListTabs->setCurrentIndex(want);
  }
  BuildGameList();
}

void TMainFRM::BuildGameList() {
  if (ListTabs->currentIndex() < 0 && ListTabs->count() > 0) {
    QSignalBlocker block(ListTabs);
    ListTabs->setCurrentIndex(0);
  }
  const int tab = ListTabs->currentIndex();
  for (QAction* a : {FileFilterRenameACTN, FileFilterSaveACTN, FileFilterSaveAsACTN,
                     FileFilterCloseACTN})
    a->setEnabled(ProfileLoaded && tab > 0);
  if (!Games || Games->empty()) return;
  FilterDescriptor* filter = FilterOfTab(tab);
  GameTreeModel* model = GameTree();

  WorkingProgress working(this, "Sorting filter...", -1);
  if (filter && filter->Entries)
    gametree::SortEntries(*filter->Entries, SortBy, ReverseSort != 0, PlayStats.get());

  ListUpdating = 1;
  working.Step("Clearing list...", -1);
  types::ResetTreeImageItems(FolderNodes);
  FolderNodes = std::make_unique<TreeImageItemList>();
  TreeList->setUpdatesEnabled(false);
  TreeList->selectionModel()->clear();
  model->Clear();
  plat::ProcessPendingEvents();

  working.Step("Building list...", 0);
  GameTreeModel::Builder builder(FolderNodes.get(), ReverseSort != 0);
  if (filter && filter->Entries) {
    const auto& entries = *filter->Entries;
    const bool folders = ListingFlags[gametree::AdditionalFolders] != 0;
    std::string path;
    for (size_t i = 0; i < entries.size(); ++i) {
      working.Progress(i, entries.size() - 1);
      const FilterEntryDescriptor& e = *entries[i];
      std::string add =
          folders ? gametree::AdditionalFolder(*e.Game, SortBy, MinYear, YearFolders) : std::string();
      path = gametree::EntryPath(e, add, ListingFlags);
      builder.AddGame(builder.FindFolderNode(path, true), gametree::RowText(i + 1, *e.Game, ListingFlags),
                      e.Game);
    }
  }
  model->Commit(builder);
  TreeList->setUpdatesEnabled(true);
  ListUpdating = 0;
  SelectLastGame();
  StatusPanel0->setText(QString::number(model->GameCount()) + " romsets listed");
}

void TMainFRM::SetSortOrder(uint8_t order) {
  if (order == SortBy) return;
  SortBy = order;
  const auto sorts = SortActions();
  for (size_t i = 0; i < 6; ++i) sorts[i]->setChecked(i == order);
  WriteSettings();
  RebuildFilterTabs(-1);
}

void TMainFRM::SetSortDescending(uint8_t descending) {
  if (descending == ReverseSort) return;
  ReverseSort = descending;
  SortAzACTN->setChecked(descending == 0);
  SortZaACTN->setChecked(descending != 0);
  WriteSettings();
  RebuildFilterTabs(-1);
}

void TMainFRM::SelectLastGame() {
  if (!SelectedGame && !LastSelected.empty()) SelectedGame = FindGameByName(LastSelected);
  if (!SelectedGame) {
    GameSelected();
    return;
  }
  GameTreeModel* model = GameTree();
  ListUpdating = 1;
  QItemSelectionModel* sel = TreeList->selectionModel();
  sel->clear();
  QModelIndex at = model->IndexOfGame(SelectedGame);
  if (at.isValid()) {
    for (QModelIndex p = at.parent(); p.isValid(); p = p.parent()) TreeList->expand(p);
    sel->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    TreeList->scrollTo(at);
  } else {
    // Set as "nothing": the view then picks no first row when it gets the keyboard back,
    // which would drop the game shown.
    TreeList->setCurrentIndex(QModelIndex());
  }
  ListUpdating = 0;
  GameSelected();
}

std::string TMainFRM::FindFaqFile(const GameRecord* game) {
  if (!game) return {};
  std::string dir = plat::WithSlash(FaqFilesDir.empty() ? std::string(".") : FaqFilesDir);
  auto real = plat::ResolveNoCase(plat::AbsolutePath(plat::ToNativeSeparators(dir)));
  if (!real) return {};
  for (const std::string* name : {&game->Name.str(), &game->CloneOf.str()}) {
    // A name that is no plain file name never leaves the FAQ folder.
    if (name->empty() || !plat::NameInFolder(*real, *name + ".FAQ")) continue;
    if (auto f = plat::FindNoCase(*real, *name + ".FAQ"); f && plat::FileExists(*f)) return *f;
  }
  return {};
}

void TMainFRM::GameSelected() {
  const GameRecord* g = SelectedGame;
  LastSelected = g ? g->Name.str() : std::string();
  FaqFile = FindFaqFile(g);
  OptionsShowFaqACTN->setEnabled(!FaqFile.empty());
  ShowQuickInfo(g ? BuildQuickInfo(g) : std::string("No game has been selected"));
  FindPicture(g);
  for (QAction* a : {MamePlayACTN, MameRomsetDetailACTN, DeleteConfigACTN, DeleteHiscoreACTN,
                     DeleteNVRamACTN})
    a->setEnabled(ProfileLoaded && g != nullptr);
  // A recording chosen before any game was selected gets its name box now.
  if (PlayBTN->isChecked() || RecordBTN->isChecked()) GameRecordingEnable();
}

void TMainFRM::ShowQuickInfo(const std::string& text) {
  QuickInfoBOX->clear();
  QuickInfoBOX->setPlainText(plat::FromAnsi(plat::NormalizeLineBreaks(text)));
}

void TMainFRM::TreeListChange() {
  if (!ProfileLoaded || ListUpdating) return;
  SelectedGame = GameTree()->GameAt(TreeList->selectionModel()->currentIndex());
  GameSelected();
}

void TMainFRM::TreeListDblClick() {
  MamePlayACTN->trigger();
}

bool TMainFRM::TreeListKeyPress(int key) {
  if (!Games || Games->empty()) return false;
  if (key == 13) {
    MamePlayACTN->trigger();
  } else if (key >= 32 && key <= 126) {
    char c = static_cast<char>(key);
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    auto find = [this]() -> GameRecord* {
      for (size_t i = 0; i < Games->size(); ++i) {
        GameRecord* g = (*Games)[i].get();
        if (g && gametree::StartsWithNoCase(g->Description.str(), QuickSearchText)) return g;
      }
      return nullptr;
    };
    QuickSearchText += c;
    GameRecord* match = find();
    if (!match) {
      QuickSearchText = std::string(1, c);
      match = find();
    }
    if (!match) match = (*Games)[0].get();
    SelectedGame = match;
    SelectLastGame();
  }
  StatusPanel1->setText("Quick search: \"" + plat::FromAnsi(QuickSearchText) + "\"");
  return true;
}

void TMainFRM::ListExpandACTNExecute() { TreeList->expandAll(); }

void TMainFRM::ListCollapseACTNExecute() { TreeList->collapseAll(); }

std::string TMainFRM::BuildQuickInfo(const GameRecord* game) {
  return quickinfo::BuildQuickInfo(
      game, [this](std::string_view n) -> const GameRecord* { return FindGameByName(std::string(n)); },
      PlayStats.get());
}

void TMainFRM::AddCloneListInfo(const GameRecord* game, std::string& text, uint16_t& count) {
  quickinfo::AddCloneListInfo(game, Games.get(), text, count);
}
void TMainFRM::AddChipInfo(const GameRecord* game, std::string& text) { quickinfo::AddChipInfo(game, text); }
void TMainFRM::AddRomInfo(const GameRecord* game, std::string& text) { quickinfo::AddRomInfo(game, text); }
void TMainFRM::AddDipSwitchInfo(const GameRecord* game, std::string& text) {
  quickinfo::AddDipSwitchInfo(game, text);
}
void TMainFRM::AddSampleInfo(const GameRecord* game, std::string& text) {
  quickinfo::AddSampleInfo(game, text);
}

void TMainFRM::WriteSettings() {
  std::string error;
  if (!SaveSettings(&error))
    ShowMessageBox("The settings could not be written to " + SettingsFileName + ":\r" + error,
                   plat::MB_ICONERROR);
}
