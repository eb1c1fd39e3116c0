#include "frontend/GameTreeModel.h"

#include <QApplication>
#include <QStyle>

#include "frontend/TreeLayout.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"

GameTreeModel::Node::~Node() {
  // Level by level: a folder chain may be far deeper than the stack.
  std::vector<std::unique_ptr<Node>> pending = std::move(children);
  while (!pending.empty()) {
    std::unique_ptr<Node> n = std::move(pending.back());
    pending.pop_back();
    for (auto& c : n->children) pending.push_back(std::move(c));
    n->children.clear();
  }
}

GameTreeModel::Builder::Builder(TreeImageItemList* folderNodes, bool reverse)
    : root_(std::make_unique<Node>()), folderNodes_(folderNodes), reverse_(reverse) {
  root_->folder = std::make_unique<FolderInfo>();
}

GameTreeModel::Node* GameTreeModel::Builder::FindChild(Node* parent, const std::string& name,
                                                       bool create) {
  FolderInfo& fi = *parent->folder;
  std::string key = plat::UpperCase(name);
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
