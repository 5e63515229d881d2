#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <array>

#include "lockmere/web/SiteTree.h"
#include "lockmere/web/TreeImages.h"

namespace web {

// Shows a SiteTree to a tree view: one column, the node's text and image.
// Follows every change of the tree as it happens, so that the view keeps its
// selection and expanded folders across moves.
class SiteTreeItemModel : public QAbstractItemModel, private TreeObserver {
  Q_OBJECT

 public:
  // The only format a node drag carries; it names nothing of the user's, so a
  // node dropped on another program gives that program nothing.
  static constexpr char kNodeMimeType[] = "application/x-lockmere-tree-node";

  explicit SiteTreeItemModel(SiteTree& tree, QObject* parent = nullptr);
  ~SiteTreeItemModel() override;

  // The node of index; nullptr for an invalid index (the top level's parent).
  TreeNode* nodeAt(const QModelIndex& index) const;
  QModelIndex indexOf(const TreeNode* node) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& index) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;

 private:
  void beginReset() override;
  void endReset() override;
  void beginInsert(TreeNode* parent, int row) override;
  void endInsert() override;
  void beginRemove(TreeNode* parent, int row) override;
  void endRemove() override;
  void beginMove(TreeNode* from, int fromRow, TreeNode* to, int toRow) override;
  void endMove() override;
  void changed(TreeNode* node) override;

  SiteTree& tree_;
  std::array<QIcon, kTreeImageCount> icons_;
  bool moving_ = false;
};

}  // namespace web
