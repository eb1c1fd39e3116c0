// The item model of the game tree shown by TMainFRM.TreeList.
#pragma once
#include <QAbstractItemModel>
#include <QIcon>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "database/types.h"

// The tree shown by TMainFRM.TreeList. A build makes a whole new tree, which replaces the old one
// in one model reset.
class GameTreeModel : public QAbstractItemModel {
  Q_OBJECT
 public:
  struct Node;
  // What a build keeps of a folder (and of the root); dropped at Commit.
  struct FolderInfo {
    std::unordered_map<std::string, Node*> byName;  // upper-cased name -> folder node
    std::string key;                                // its own upper-cased name
    size_t gamesBefore = 0;  // the parent's games when the folder was made
    size_t games = 0;        // games added here
    TreeImageItemDescriptor* descriptor = nullptr;  // made at Commit; null for the root
  };
  struct Node {
    std::string text;          // Windows-1252
    GameRecord* game = nullptr;
    Node* parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children;
    std::unique_ptr<FolderInfo> folder;  // folders and the root only
    Node() = default;
    ~Node();  // frees deep chains without recursion
  };

  // Builds a new tree beside the one shown; Commit makes it the one shown.
  class Builder {
   public:
    // `folderNodes` receives the top-level folder descriptors; `reverse` orders folders Z..A.
    Builder(TreeImageItemList* folderNodes, bool reverse);
    // Finds (or, with `create`, makes) the folder node of a path; null means the top level.
    Node* FindFolderNode(const std::string& path, bool create);
    void AddGame(Node* parent, std::string text, GameRecord* game);
    size_t GameCount() const { return games_; }
   private:
    friend class GameTreeModel;
    Node* FindChild(Node* parent, const std::string& name, bool create);
    void Arrange(Node* parent, TreeImageItemList* descriptors, Node* descriptorParent);
    std::unique_ptr<Node> root_;
    TreeImageItemList* folderNodes_;
    bool reverse_;
    size_t games_ = 0;
  };

  explicit GameTreeModel(QObject* parent = nullptr);
  ~GameTreeModel() override;

  void Commit(Builder& builder);
  void Clear();

  GameRecord* GameAt(const QModelIndex& index) const;
  // The first node of the game in tree order (pre-order), or an invalid index.
  QModelIndex IndexOfGame(const GameRecord* game) const;
  size_t GameCount() const { return games_; }
  const Node* Root() const { return root_.get(); }
  QModelIndex IndexOfNode(const Node* node) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;

 private:
  const Node* NodeOf(const QModelIndex& index) const;
  std::unique_ptr<Node> root_;
  std::unordered_map<const GameRecord*, const Node*> firstNode_;
  size_t games_ = 0;
  QIcon folderIcon_, gameIcon_;
};
