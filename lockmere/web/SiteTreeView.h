#pragma once

#include <QPersistentModelIndex>
#include <QTreeView>

class QDragMoveEvent;
class QDropEvent;

namespace web {

// What a press on the tree hit.
enum class TreeHit {
  Nowhere,  // empty space below the nodes
  OnItem,   // a node's image or text
  OnRight,  // the row of a node, right of its text
  OnIndent  // the row of a node, left of its image (indent, expand button)
};

enum class DragState { Enter, Move, Leave };

// What the tree hands to its frame: presses, key releases and drags.
class TreeViewHandler {
 public:
  virtual ~TreeViewHandler() = default;
  virtual void TVRegSiteMouseDown(Qt::MouseButton button, TreeHit hit, const QModelIndex& index,
                                  const QPoint& globalPos) = 0;
  virtual void TVRegSiteKeyUp(int key) = 0;
  // event is a QDragEnterEvent, a QDragMoveEvent, or nullptr when the drag left.
  virtual void TVRegSiteDragOver(QDragMoveEvent* event, DragState state) = 0;
  virtual void TVRegSiteDragDrop(QDropEvent* event) = 0;
  virtual void TVRegSiteEndDrag() = 0;
};

// The site tree's view: read-only, nodes dragged within it, every press, key
// release and drag handed to the handler.
class SiteTreeView : public QTreeView {
  Q_OBJECT

 public:
  explicit SiteTreeView(QWidget* parent = nullptr);
  void setHandler(TreeViewHandler* handler) { handler_ = handler; }

  TreeHit hitTest(const QPoint& pos, QModelIndex* index = nullptr) const;
  // True while a node of this tree is being dragged.
  bool isDragging() const { return dragging_; }
  // The node a drop would land on, framed while a drag rests on it.
  void setDropTarget(const QModelIndex& index);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  TreeViewHandler* handler_ = nullptr;
  bool dragging_ = false;
  QPersistentModelIndex dropTarget_;
};

}  // namespace web
