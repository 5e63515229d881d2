#include "lockmere/web/SiteTreeItemModel.h"

#include <QMimeData>

namespace web {

SiteTreeItemModel::SiteTreeItemModel(SiteTree& tree, QObject* parent) : QAbstractItemModel(parent), tree_(tree) {
  for (int i = 0; i < kTreeImageCount; ++i) icons_[static_cast<std::size_t>(i)] = nodeIcon(i, i);
  // A folder shows itself open while it is selected.
  icons_[kFolderImage] = nodeIcon(kFolderImage, kOpenFolderImage);
  tree_.addObserver(this);
}

SiteTreeItemModel::~SiteTreeItemModel() { tree_.removeObserver(this); }

TreeNode* SiteTreeItemModel::nodeAt(const QModelIndex& index) const {
  return index.isValid() ? static_cast<TreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex SiteTreeItemModel::indexOf(const TreeNode* node) const {
  if (!node || node == tree_.root()) return {};
  return createIndex(node->row(), 0, const_cast<TreeNode*>(node));
}

QModelIndex SiteTreeItemModel::index(int row, int column, const QModelIndex& parent) const {
  const TreeNode* p = parent.isValid() ? nodeAt(parent) : tree_.root();
  if (column != 0 || row < 0 || row >= p->childCount()) return {};
  return createIndex(row, 0, p->child(row));
}

QModelIndex SiteTreeItemModel::parent(const QModelIndex& index) const {
  const TreeNode* node = nodeAt(index);
  return node ? indexOf(node->parent()) : QModelIndex();
}

int SiteTreeItemModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  const TreeNode* p = parent.isValid() ? nodeAt(parent) : tree_.root();
  return p->childCount();
}

int SiteTreeItemModel::columnCount(const QModelIndex&) const { return 1; }

QVariant SiteTreeItemModel::data(const QModelIndex& index, int role) const {
  const TreeNode* node = nodeAt(index);
  if (!node) return {};
  switch (role) {
    case Qt::DisplayRole:
      return node->text();
    case Qt::DecorationRole: {
      const int image = node->imageIndex();
      if (image < 0 || image >= kTreeImageCount) return {};
      return icons_[static_cast<std::size_t>(image)];
    }
    default:
      return {};
  }
}

Qt::ItemFlags SiteTreeItemModel::flags(const QModelIndex& index) const {
  const TreeNode* node = nodeAt(index);
  if (!node) return Qt::ItemIsDropEnabled;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
  if (!node->isFolder()) f |= Qt::ItemNeverHasChildren;
  return f;
}

QStringList SiteTreeItemModel::mimeTypes() const { return {QString::fromLatin1(kNodeMimeType)}; }

QMimeData* SiteTreeItemModel::mimeData(const QModelIndexList&) const {
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kNodeMimeType), QByteArray());
  return data;
}

void SiteTreeItemModel::beginReset() { beginResetModel(); }
void SiteTreeItemModel::endReset() { endResetModel(); }

void SiteTreeItemModel::beginInsert(TreeNode* parent, int row) { beginInsertRows(indexOf(parent), row, row); }
void SiteTreeItemModel::endInsert() { endInsertRows(); }

void SiteTreeItemModel::beginRemove(TreeNode* parent, int row) { beginRemoveRows(indexOf(parent), row, row); }
void SiteTreeItemModel::endRemove() { endRemoveRows(); }

void SiteTreeItemModel::beginMove(TreeNode* from, int fromRow, TreeNode* to, int toRow) {
  moving_ = beginMoveRows(indexOf(from), fromRow, fromRow, indexOf(to), toRow);
  // The tree never asks for a move Qt would refuse; should it, the view starts over.
  if (!moving_) beginResetModel();
}

void SiteTreeItemModel::endMove() {
  if (moving_)
    endMoveRows();
  else
    endResetModel();
  moving_ = false;
}

void SiteTreeItemModel::changed(TreeNode* node) {
  const QModelIndex i = indexOf(node);
  emit dataChanged(i, i);
}

}  // namespace web
