#include "frontend/GameTreeModel.h"

#include <QApplication>
#include <QStyle>
#include <algorithm>
#include <cstdint>

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
  // Placed among its siblings at Commit.
  auto node = std::make_unique<Node>();
  node->text = name;
  node->parent = parent;
  node->folder = std::make_unique<FolderInfo>();
  node->folder->key = key;
  node->folder->gamesBefore = fi.games;
  Node* raw = node.get();
  parent->children.push_back(std::move(node));
  fi.byName.emplace(std::move(key), raw);
  return raw;
}

// Orders the children of a folder as if each folder had been put, when made, just before the
// first sibling folder that sorts after it (else last): folders by name, and each folder after
// the games that were there when the first folder sorting at or after it was made. Makes the
// folders' descriptors in that order.
void GameTreeModel::Builder::Arrange(Node* parent, TreeImageItemList* descriptors,
                                     Node* descriptorParent) {
  auto& kids = parent->children;
  std::vector<std::unique_ptr<Node>> games, folders;
  for (auto& k : kids) (k->folder ? folders : games).push_back(std::move(k));
  kids.clear();
  if (folders.empty()) {
    kids = std::move(games);
    return;
  }
  std::sort(folders.begin(), folders.end(), [this](const auto& a, const auto& b) {
    return reverse_ ? a->folder->key > b->folder->key : a->folder->key < b->folder->key;
  });
  // From the last folder back: the fewest games before any folder at or after it.
  size_t least = SIZE_MAX;
  for (size_t i = folders.size(); i-- > 0;)
    folders[i]->folder->gamesBefore = least = std::min(least, folders[i]->folder->gamesBefore);
  kids.reserve(games.size() + folders.size());
  size_t g = 0;
  for (auto& f : folders) {
    while (g < f->folder->gamesBefore && g < games.size()) kids.push_back(std::move(games[g++]));
    if (descriptors) {
      auto d = std::make_unique<TreeImageItemDescriptor>();
      d->Name = f->text;
      d->Node = f.get();
      d->ParentNode = descriptorParent;
      f->folder->descriptor = d.get();
      descriptors->push_back(std::move(d));
    }
    kids.push_back(std::move(f));
  }
  while (g < games.size()) kids.push_back(std::move(games[g++]));
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
  ++parent->folder->games;
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
  auto enter = [&](Node* n) {
    // The folder's descriptor list: the top level's, or its own made on demand.
    TreeImageItemList* list = b.folderNodes_;
    Node* descriptorParent = nullptr;
    if (n != root.get()) {
      list = nullptr;
      if (n->folder->descriptor) {
        auto& c = n->folder->descriptor->Children;
        if (!c) c = std::make_unique<RecordList<TreeImageItemDescriptor>>();
        list = c.get();
        descriptorParent = n;
      }
    }
    b.Arrange(n, list, descriptorParent);
    if (list && list->empty() && n != root.get()) n->folder->descriptor->Children.reset();
    n->folder.reset();  // only the build needs it
    stack.push_back({n, 0});
  };
  enter(root.get());
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
    if (c->folder) enter(c);
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
