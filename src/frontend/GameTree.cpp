#include "frontend/GameTree.h"

#include <QApplication>
#include <QStyle>
#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "platform/Cp1252.h"

namespace gametree {

namespace {

std::string_view TrimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

std::string AlphabetFolder(std::string_view text) {
  if (text.empty()) return "#";
  char c = text[0];
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return std::string(1, c);
  return "#";
}

bool IsUnknownManufacturer(std::string_view cleaned) {
  return cleaned.empty() || UpperAscii(cleaned) == "<UNKNOWN>";
}

}  // namespace

std::string UpperAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

bool StartsWithNoCase(std::string_view text, std::string_view upperPrefix) {
  if (text.size() < upperPrefix.size()) return false;
  for (size_t i = 0; i < upperPrefix.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upperPrefix[i]) return false;
  }
  return true;
}

std::string CleanManufacturerName(std::string_view text) {
  std::string_view s = TrimView(text);
  if (!s.empty() && s[0] == '[') s.remove_prefix(1);
  size_t p = s.find(']');
  if (p != std::string_view::npos) s = s.substr(0, p);
  p = s.find('(');
  if (p != std::string_view::npos) s = s.substr(0, p);
  return std::string(TrimView(s));
}

void GenerateFolderLists(const GameList* games, FolderLists& lists,
                         void (*progress)(void*, size_t, size_t), void* ctx) {
  if (!games || games->empty()) return;
  lists.MinYear = 65535;
  lists.MaxYear = 0;
  lists.Alphabet.clear();
  lists.Alphabet.push_back("#");
  for (char c = 'A'; c <= 'Z'; ++c) lists.Alphabet.push_back(std::string(1, c));
  lists.Manufacturer.clear();
  lists.Manufacturer.push_back(std::string(UnknownManufacturer));
  std::unordered_set<std::string> seen;
  seen.insert(lists.Manufacturer[0]);
  const size_t last = games->size() - 1;
  for (size_t i = 0; i < games->size(); ++i) {
    if (progress) progress(ctx, i, last);
    const GameRecord* g = (*games)[i].get();
    if (!g) continue;
    std::string m = CleanManufacturerName(g->Manufacturer.str());
    if (!IsUnknownManufacturer(m) && seen.insert(m).second) lists.Manufacturer.push_back(m);
    if (g->Year) {
      lists.MinYear = std::min(lists.MinYear, g->Year);
      lists.MaxYear = std::max(lists.MaxYear, g->Year);
    }
  }
  // "< Unknown >" heads the list; the names follow without regard to case.
  std::sort(lists.Manufacturer.begin() + 1, lists.Manufacturer.end(),
            [](const std::string& a, const std::string& b) {
              std::string ua = UpperAscii(a), ub = UpperAscii(b);
              return ua != ub ? ua < ub : a < b;
            });
  lists.Year.clear();
  lists.Year.push_back(std::string(UnknownYear));
  if (lists.MaxYear)
    for (uint32_t y = lists.MinYear; y <= lists.MaxYear; ++y) lists.Year.push_back(std::to_string(y));
}

PlayCountMap MakePlayCountMap(const PlayStatList* stats) {
  PlayCountMap m;
  if (!stats) return m;
  m.reserve(stats->size());
  for (size_t i = 0; i < stats->size(); ++i)
    if (const PlayStatRecord* r = (*stats)[i].get()) m.emplace(r->Name.str(), r->TotTimes);
  return m;
}

bool ComesBefore(const GameRecord* a, const GameRecord* b, uint8_t sortBy, bool reverse,
                 const PlayCountMap* plays) {
  if (reverse) std::swap(a, b);
  switch (sortBy) {
    case SortNone: return a->Index < b->Index;
    case SortDescription:
    case SortManufacturer:
    case SortYear: return a->Description.str() < b->Description.str();
    case SortMostPlayed: {
      if (!plays) return false;
      auto pa = plays->find(a->Name.str()), pb = plays->find(b->Name.str());
      uint32_t na = pa == plays->end() ? 0 : pa->second;
      uint32_t nb = pb == plays->end() ? 0 : pb->second;
      return na > nb;
    }
    case SortSetName: return a->Name.str() < b->Name.str();
    default: return false;
  }
}

void SortEntries(RecordList<FilterEntryDescriptor>& entries, uint8_t sortBy, bool reverse,
                 const PlayStatList* stats) {
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [](const auto& e) { return !e || !e->Game; }),
                entries.end());
  if (sortBy > SortSetName) return;  // every entry compares equal: the order stays
  PlayCountMap plays;
  if (sortBy == SortMostPlayed) plays = MakePlayCountMap(stats);
  std::stable_sort(entries.begin(), entries.end(), [&](const auto& x, const auto& y) {
    return ComesBefore(x->Game, y->Game, sortBy, reverse, &plays);
  });
}

std::string RowText(size_t n, const GameRecord& g, const ListingFlagSet& f) {
  std::string s;
  s.reserve(g.Description.size() + 48);
  if (f[ListRowNumber]) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%05zu - ", n);
    s += buf;
  }
  if (f[ListRomsetName]) s += "[" + g.Name.str() + "] = ";
  s += g.Description.str();
  if (f[ListYear] || f[ListManufacturer]) {
    s += "   (";
    if (f[ListYear]) s += std::to_string(g.Year);
    if (f[ListYear] && f[ListManufacturer]) s += " - ";
    if (f[ListManufacturer]) s += g.Manufacturer.str();
    s += ")";
  }
  return s;
}

std::string AdditionalFolder(const GameRecord& g, uint8_t sortBy, uint16_t minYear,
                             const StringList& years) {
  switch (sortBy) {
    case SortDescription: return AlphabetFolder(g.Description.str());
    case SortSetName: return AlphabetFolder(g.Name.str());
    case SortManufacturer: {
      std::string m = CleanManufacturerName(g.Manufacturer.str());
      return IsUnknownManufacturer(m) ? std::string(UnknownManufacturer) : m;
    }
    case SortYear: {
      if (g.Year == 0) return std::string(UnknownYear);
      size_t i = static_cast<size_t>(g.Year) - minYear + 1;
      if (g.Year >= minYear && i < years.size()) return years[i];
      return std::to_string(g.Year);  // lists of another profile: the year itself
    }
    default: return {};
  }
}

std::string EntryPath(const FilterEntryDescriptor& e, const std::string& additional,
                      const ListingFlagSet& f) {
  std::string add = additional + "\\";
  if (!f[FilterOwnFolders]) return "\\" + add;
  std::string own = e.Folder;
  if (own.empty() || own.back() != '\\') own += "\\";
  if (!own.empty() && own.front() == '\\') own.erase(0, 1);
  return f[AddedFoldersAsRoot] ? "\\" + add + own : "\\" + own + add;
}

std::vector<std::string> SplitPath(std::string_view path) {
  std::vector<std::string> parts;
  size_t b = 0;
  while (b <= path.size()) {
    size_t e = path.find('\\', b);
    if (e == std::string_view::npos) e = path.size();
    if (e > b) parts.emplace_back(path.substr(b, e - b));  // empty parts are dropped
    b = e + 1;
  }
  return parts;
}

}  // namespace gametree

// ---------------------------------------------------------------------------------------------

GameTreeModel::Builder::Builder(TreeImageItemList* folderNodes, bool reverse)
    : root_(std::make_unique<Node>()), folderNodes_(folderNodes), reverse_(reverse) {
  root_->folder = std::make_unique<FolderInfo>();
}

GameTreeModel::Node* GameTreeModel::Builder::FindChild(Node* parent, const std::string& name,
                                                       bool create) {
  FolderInfo& fi = *parent->folder;
  std::string key = gametree::UpperAscii(name);
  auto hit = fi.byName.find(key);
  if (hit != fi.byName.end()) return hit->second;
  if (!create) return nullptr;
  // Folders keep their order by name: the insertion point is the first folder the name sorts
  // before (after, in Z..A order).
  auto at = reverse_
                ? std::upper_bound(fi.folders.begin(), fi.folders.end(), key,
                                   [](const std::string& k, const auto& f) { return k > f.first; })
                : std::upper_bound(fi.folders.begin(), fi.folders.end(), key,
                                   [](const std::string& k, const auto& f) { return k < f.first; });
  auto node = std::make_unique<Node>();
  node->text = name;
  node->parent = parent;
  node->folder = std::make_unique<FolderInfo>();
  Node* raw = node.get();

  // The folder's descriptor, in the same place among its siblings.
  RecordList<TreeImageItemDescriptor>* siblings = folderNodes_;
  if (fi.descriptor) {
    if (!fi.descriptor->Children)
      fi.descriptor->Children = std::make_unique<RecordList<TreeImageItemDescriptor>>();
    siblings = fi.descriptor->Children.get();
  }
  size_t pos = static_cast<size_t>(at - fi.folders.begin());
  if (siblings) {
    auto d = std::make_unique<TreeImageItemDescriptor>();
    d->Name = name;
    d->Node = raw;
    d->ParentNode = parent == root_.get() ? nullptr : parent;
    raw->folder->descriptor = d.get();
    siblings->insert(siblings->begin() + static_cast<std::ptrdiff_t>(std::min(pos, siblings->size())),
                     std::move(d));
  }

  // The tree node goes just before the insertion point's node, else last.
  auto& kids = parent->children;
  if (at != fi.folders.end()) {
    Node* before = at->second;
    auto it = std::find_if(kids.begin(), kids.end(), [before](const auto& k) { return k.get() == before; });
    kids.insert(it, std::move(node));
  } else {
    kids.push_back(std::move(node));
  }
  fi.folders.insert(at, {key, raw});
  fi.byName.emplace(std::move(key), raw);
  return raw;
}

GameTreeModel::Node* GameTreeModel::Builder::FindFolderNode(const std::string& path, bool create) {
  Node* cur = root_.get();
  for (const std::string& part : gametree::SplitPath(path)) {
    cur = FindChild(cur, part, create);
    if (!cur) return nullptr;
  }
  return cur == root_.get() ? nullptr : cur;
}

void GameTreeModel::Builder::AddGame(Node* parent, std::string text, GameRecord* game) {
  if (!parent) parent = root_.get();
  auto node = std::make_unique<Node>();
  node->text = std::move(text);
  node->game = game;
  node->parent = parent;
  parent->children.push_back(std::move(node));
  ++games_;
}

// ---------------------------------------------------------------------------------------------

GameTreeModel::GameTreeModel(QObject* parent)
    : QAbstractItemModel(parent), root_(std::make_unique<Node>()) {
  if (QApplication::instance() && qobject_cast<QApplication*>(QApplication::instance())) {
    folderIcon_ = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    gameIcon_ = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
  }
}

GameTreeModel::~GameTreeModel() = default;

void GameTreeModel::Commit(Builder& b) {
  std::unique_ptr<Node> root = std::move(b.root_);
  b.root_ = std::make_unique<Node>();
  b.root_->folder = std::make_unique<FolderInfo>();
  // Rows, and the first node of each game in tree order.
  std::unordered_map<const GameRecord*, const Node*> first;
  first.reserve(b.games_);
  std::vector<std::pair<Node*, size_t>> stack;
  stack.push_back({root.get(), 0});
  while (!stack.empty()) {
    auto& [n, i] = stack.back();
    if (i >= n->children.size()) {
      stack.pop_back();
      continue;
    }
    Node* c = n->children[i].get();
    c->row = static_cast<int>(i);
    ++i;
    if (c->game) first.emplace(c->game, c);
    if (!c->children.empty()) stack.push_back({c, 0});
  }
  beginResetModel();
  root_ = std::move(root);
  firstNode_ = std::move(first);
  games_ = b.games_;
  b.games_ = 0;
  endResetModel();
}

void GameTreeModel::Clear() {
  beginResetModel();
  root_ = std::make_unique<Node>();
  firstNode_.clear();
  games_ = 0;
  endResetModel();
}

const GameTreeModel::Node* GameTreeModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<const Node*>(index.internalPointer()) : root_.get();
}

GameRecord* GameTreeModel::GameAt(const QModelIndex& index) const {
  return index.isValid() ? NodeOf(index)->game : nullptr;
}

QModelIndex GameTreeModel::IndexOfNode(const Node* node) const {
  if (!node || node == root_.get()) return {};
  return createIndex(node->row, 0, const_cast<Node*>(node));
}

QModelIndex GameTreeModel::IndexOfGame(const GameRecord* game) const {
  auto it = firstNode_.find(game);
  return it == firstNode_.end() ? QModelIndex() : IndexOfNode(it->second);
}

QModelIndex GameTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  const Node* p = NodeOf(parent);
  if (static_cast<size_t>(row) >= p->children.size()) return {};
  return createIndex(row, 0, p->children[static_cast<size_t>(row)].get());
}

QModelIndex GameTreeModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  return IndexOfNode(NodeOf(child)->parent);
}

int GameTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  return static_cast<int>(NodeOf(parent)->children.size());
}

int GameTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool GameTreeModel::hasChildren(const QModelIndex& parent) const {
  return !NodeOf(parent)->children.empty();
}

QVariant GameTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const Node* n = NodeOf(index);
  switch (role) {
    case Qt::DisplayRole: return plat::FromAnsi(n->text);
    case Qt::DecorationRole: return n->game ? gameIcon_ : folderIcon_;
    default: return {};
  }
}

// ---------------------------------------------------------------------------------------------
// The main window's game tree.

#include <QAction>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QTabBar>
#include <QTextEdit>
#include <QTreeView>

#include "database/Working.h"
#include "frontend/QuickInfo.h"
#include "frontend/main.h"
#include "platform/Files.h"
#include "platform/Seams.h"

namespace {

void ShowWorking(const char* text, int32_t progress) {
  if (!WorkingFRM) return;
  WorkingFRM->Operation->setText(text);
  WorkingFRM->SetProgress(progress);
  if (!WorkingFRM->isVisible()) WorkingFRM->show();
}

void HideWorking() {
  if (WorkingFRM) WorkingFRM->hide();
}

// Reports progress only when the whole percentage changes.
struct Progress {
  int32_t last = -1;
  void Step(size_t done, size_t total) {
    if (!WorkingFRM) return;
    int32_t p = TWorkingFRM::Percentage(static_cast<int32_t>(done), static_cast<int32_t>(total));
    if (p != last) WorkingFRM->SetProgress(last = p);
  }
};

// Quick search and Enter in the tree; every other key goes on to the tree.
class TreeKeys : public QObject {
 public:
  explicit TreeKeys(TMainFRM* owner) : QObject(owner), owner_(owner) {}
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    auto* k = static_cast<QKeyEvent*>(event);
    int code = -1;
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)
      code = 13;
    else if (!k->text().isEmpty() && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
      code = k->text().at(0).unicode();
    if (code < 0) return false;
    try {
      return owner_->TreeListKeyPress(code);
    } catch (const std::exception& e) {
      owner_->ShowMessageBox(e.what(), plat::MB_ICONERROR);
      return true;
    }
  }
 private:
  TMainFRM* owner_;
};

const char* const kSortActions[] = {"SortNoneACTN",  "SortDescriptionACTN", "SortManufacturerACTN",
                                    "SortYearACTN",  "SortMostPlayedACTN",  "SortSetNameACTN"};

}  // namespace

QAction* TMainFRM::ActionNamed(const char* name) const { return findChild<QAction*>(name); }

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
  ShowWorking("Generating folder lists...", -1);
  SetIdleCursor(false);
  gametree::FolderLists lists;
  Progress progress;
  if (WorkingFRM) WorkingFRM->SetProgress(0);
  gametree::GenerateFolderLists(
      Games.get(), lists,
      [](void* ctx, size_t i, size_t last) { static_cast<Progress*>(ctx)->Step(i, last); }, &progress);
  AlphabetFolders = std::move(lists.Alphabet);
  ManufacturerFolders = std::move(lists.Manufacturer);
  YearFolders = std::move(lists.Year);
  MinYear = lists.MinYear;
  MaxYear = lists.MaxYear;
  HideWorking();
  SetIdleCursor(true);
}

void TMainFRM::RebuildFilterTabs(int32_t index) {
  if (!Filters) return;
  int before = ListTabs->currentIndex();
  {
    QSignalBlocker block(ListTabs);
    while (ListTabs->count() > 0) ListTabs->removeTab(ListTabs->count() - 1);
    for (size_t i = 0; i < Filters->size(); ++i) {
      const FilterDescriptor* f = (*Filters)[i].get();
      ListTabs->addTab(plat::FromAnsi(f ? f->Name : std::string()));
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
  for (const char* name : {"FileFilterRenameACTN", "FileFilterSaveACTN", "FileFilterSaveAsACTN",
                           "FileFilterCloseACTN"})
    if (QAction* a = ActionNamed(name)) a->setEnabled(tab > 0);
  if (!Games || Games->empty()) return;
  FilterDescriptor* filter = Filters && tab >= 0 && static_cast<size_t>(tab) < Filters->size()
                                 ? (*Filters)[static_cast<size_t>(tab)].get()
                                 : nullptr;
  GameTreeModel* model = GameTree();

  ShowWorking("Sorting filter...", -1);
  SetIdleCursor(false);
  if (filter && filter->Entries)
    gametree::SortEntries(*filter->Entries, SortBy, ReverseSort != 0, PlayStats.get());

  ListUpdating = 1;
  ShowWorking("Clearing list...", -1);
  types::ResetTreeImageItems(FolderNodes);
  FolderNodes = std::make_unique<TreeImageItemList>();
  TreeList->setUpdatesEnabled(false);
  TreeList->selectionModel()->clear();
  model->Clear();
  plat::ProcessPendingEvents();

  ShowWorking("Building list...", 0);
  GameTreeModel::Builder builder(FolderNodes.get(), ReverseSort != 0);
  if (filter && filter->Entries) {
    const auto& entries = *filter->Entries;
    const bool folders = ListingFlags[gametree::AdditionalFolders] != 0;
    Progress progress;
    std::string path;
    for (size_t i = 0; i < entries.size(); ++i) {
      progress.Step(i, entries.size() - 1);
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
  HideWorking();
  SetIdleCursor(true);
}

void TMainFRM::SetSortOrder(uint8_t order) {
  if (order == SortBy) return;
  SortBy = order;
  for (size_t i = 0; i < std::size(kSortActions); ++i)
    if (QAction* a = ActionNamed(kSortActions[i])) a->setChecked(i == order);
  WriteSettings();
  RebuildFilterTabs(-1);
}

void TMainFRM::SetSortDescending(uint8_t descending) {
  if (descending == ReverseSort) return;
  ReverseSort = descending;
  if (QAction* a = ActionNamed("SortAzACTN")) a->setChecked(descending == 0);
  if (QAction* a = ActionNamed("SortZaACTN")) a->setChecked(descending != 0);
  WriteSettings();
  RebuildFilterTabs(-1);
}

void TMainFRM::SelectLastGame() {
  if (!SelectedGame && !LastSelected.empty()) SelectedGame = FindGameByName(LastSelected);
  if (!SelectedGame) return;
  GameTreeModel* model = GameTree();
  ListUpdating = 1;
  QItemSelectionModel* sel = TreeList->selectionModel();
  sel->clear();
  QModelIndex at = model->IndexOfGame(SelectedGame);
  if (at.isValid()) {
    for (QModelIndex p = at.parent(); p.isValid(); p = p.parent()) TreeList->expand(p);
    sel->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    TreeList->scrollTo(at);
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
    if (name->empty()) continue;
    if (auto f = plat::FindNoCase(*real, *name + ".FAQ"); f && plat::FileExists(*f)) return *f;
  }
  return {};
}

void TMainFRM::GameSelected() {
  const GameRecord* g = SelectedGame;
  LastSelected = g ? g->Name.str() : std::string();
  FaqFile = FindFaqFile(g);
  if (QAction* a = ActionNamed("OptionsShowFaqACTN")) a->setEnabled(!FaqFile.empty());
  ShowQuickInfo(g ? BuildQuickInfo(g) : std::string("No game has been selected"));
  FindPicture(g);
  for (const char* name : {"MamePlayACTN", "MameRomsetDetailACTN", "DeleteConfigACTN",
                           "DeleteHiscoreACTN", "DeleteNVRamACTN"})
    if (QAction* a = ActionNamed(name)) a->setEnabled(g != nullptr);
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
  if (QAction* a = ActionNamed("MamePlayACTN")) a->trigger();
}

bool TMainFRM::TreeListKeyPress(int key) {
  if (!Games || Games->empty()) return false;
  if (key == 13) {
    if (QAction* a = ActionNamed("MamePlayACTN")) a->trigger();
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
