#include "lockmere/web/SiteTreeView.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

namespace web {

SiteTreeView::SiteTreeView(QWidget* parent) : QTreeView(parent) {
  setHeaderHidden(true);
  setEditTriggers(NoEditTriggers);
  setSelectionMode(SingleSelection);
  setSelectionBehavior(SelectRows);
  setIndentation(23);
  setIconSize(QSize(20, 20));
  setUniformRowHeights(true);
  setVerticalScrollMode(ScrollPerItem);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDragDropMode(DragDrop);
  // The frame scrolls and expands during a drag by its own timers.
  setAutoScroll(false);
  setAutoExpandDelay(-1);
  setDropIndicatorShown(false);
}

TreeHit SiteTreeView::hitTest(const QPoint& pos, QModelIndex* index) const {
  const QModelIndex at = indexAt(pos);
  if (index) *index = at;
  if (!at.isValid()) return TreeHit::Nowhere;
  const QRect rect = visualRect(at);
  if (pos.x() < rect.left()) return TreeHit::OnIndent;
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = rect;
  const int width = itemDelegateForIndex(at)->sizeHint(option, at).width();
  return pos.x() <= rect.left() + width ? TreeHit::OnItem : TreeHit::OnRight;
}

void SiteTreeView::setDropTarget(const QModelIndex& index) {
  if (index == dropTarget_) return;
  dropTarget_ = index;
  viewport()->update();
}

void SiteTreeView::mousePressEvent(QMouseEvent* event) {
  QModelIndex index;
  const TreeHit hit = hitTest(event->position().toPoint(), &index);
  // A press beside a node's text counts as a press on empty space: the view
  // must not select the row.
  if (hit == TreeHit::OnItem || hit == TreeHit::OnIndent) QTreeView::mousePressEvent(event);
  if (handler_) handler_->TVRegSiteMouseDown(event->button(), hit, index, event->globalPosition().toPoint());
}

void SiteTreeView::keyReleaseEvent(QKeyEvent* event) {
  QTreeView::keyReleaseEvent(event);
  if (handler_) handler_->TVRegSiteKeyUp(event->key());
}

void SiteTreeView::dragEnterEvent(QDragEnterEvent* event) {
  if (handler_) handler_->TVRegSiteDragOver(event, DragState::Enter);
}

void SiteTreeView::dragMoveEvent(QDragMoveEvent* event) {
  if (handler_) handler_->TVRegSiteDragOver(event, DragState::Move);
}

void SiteTreeView::dragLeaveEvent(QDragLeaveEvent*) {
  setDropTarget({});
  if (handler_) handler_->TVRegSiteDragOver(nullptr, DragState::Leave);
}

void SiteTreeView::dropEvent(QDropEvent* event) {
  setDropTarget({});
  if (handler_) handler_->TVRegSiteDragDrop(event);
}

void SiteTreeView::startDrag(Qt::DropActions) {
  const QModelIndex current = currentIndex();
  if (!current.isValid() || !model()) return;
  auto* drag = new QDrag(this);
  drag->setMimeData(model()->mimeData({current}));
  drag->setPixmap(current.data(Qt::DecorationRole).value<QIcon>().pixmap(iconSize()));
  dragging_ = true;
  // The drop moves the node itself; whatever the outcome, nothing is removed here.
  drag->exec(Qt::MoveAction);
  dragging_ = false;
  setDropTarget({});
  if (handler_) handler_->TVRegSiteEndDrag();
}

void SiteTreeView::paintEvent(QPaintEvent* event) {
  QTreeView::paintEvent(event);
  if (!dropTarget_.isValid()) return;
  QPainter p(viewport());
  p.setPen(QPen(palette().color(QPalette::Highlight), 1));
  p.drawRect(visualRect(dropTarget_).adjusted(0, 0, -1, -1));
}

}  // namespace web
