#include "lockmere/widgets/PopupGeometry.h"

namespace widgets {
namespace {

int rightOf(const QRect& r) { return r.x() + r.width(); }
int bottomOf(const QRect& r) { return r.y() + r.height(); }

}  // namespace

QRect popupRect(TaskbarEdge edge, const QRect& w, int offset, const PopupMetrics& m) {
  switch (edge) {
    case TaskbarEdge::Left:
      return {w.x() + m.startX, bottomOf(w) - m.startY - m.height - offset, m.width, m.height};
    case TaskbarEdge::Top:
      return {rightOf(w) - m.width - m.startX, w.y() + m.startY + offset, m.width, m.height};
    default:
      return {rightOf(w) - m.width - m.startX, bottomOf(w) - m.startY - m.height - offset, m.width, m.height};
  }
}

bool roomForPopup(TaskbarEdge edge, const QRect& w, int offset, const PopupMetrics& m) {
  if (edge == TaskbarEdge::Unknown) return true;
  const QRect r = popupRect(edge, w, offset, m);
  return edge == TaskbarEdge::Top ? bottomOf(r) <= bottomOf(w) : r.y() >= w.y();
}

QRect collapsedRect(TaskbarEdge edge, const QRect& full) {
  switch (edge) {
    case TaskbarEdge::Left:
      return {full.x(), full.y(), 1, full.height()};
    case TaskbarEdge::Top:
      return {full.x(), full.y(), full.width(), 1};
    case TaskbarEdge::Right:
      return {rightOf(full) - 1, full.y(), 1, full.height()};
    case TaskbarEdge::Bottom:
      return {full.x(), bottomOf(full) - 1, full.width(), 1};
    case TaskbarEdge::Unknown:
      break;
  }
  return full;
}

SlideStep slideInStep(TaskbarEdge edge, const QRect& c, const QRect& full, int speed) {
  const bool horizontal = edge == TaskbarEdge::Left || edge == TaskbarEdge::Right;
  const int size = horizontal ? c.width() : c.height();
  const int fullSize = horizontal ? full.width() : full.height();
  if (edge == TaskbarEdge::Unknown || size + speed >= fullSize) return {full, true};
  switch (edge) {
    case TaskbarEdge::Left:
      return {{c.x(), c.y(), c.width() + speed, c.height()}, false};
    case TaskbarEdge::Top:
      return {{c.x(), c.y(), c.width(), c.height() + speed}, false};
    case TaskbarEdge::Right:
      return {{c.x() - speed, c.y(), c.width() + speed, c.height()}, false};
    default:
      return {{c.x(), c.y() - speed, c.width(), c.height() + speed}, false};
  }
}

SlideStep slideOutStep(TaskbarEdge edge, const QRect& c, int speed) {
  const bool horizontal = edge == TaskbarEdge::Left || edge == TaskbarEdge::Right;
  const int size = horizontal ? c.width() : c.height();
  if (edge == TaskbarEdge::Unknown || size - speed <= 0) return {c, true};
  switch (edge) {
    case TaskbarEdge::Left:
      return {{c.x(), c.y(), c.width() - speed, c.height()}, false};
    case TaskbarEdge::Top:
      return {{c.x(), c.y(), c.width(), c.height() - speed}, false};
    case TaskbarEdge::Right:
      return {{c.x() + speed, c.y(), c.width() - speed, c.height()}, false};
    default:
      return {{c.x(), c.y() + speed, c.width(), c.height() - speed}, false};
  }
}

QPoint faceOffset(TaskbarEdge edge, const QRect& c, const QSize& full) {
  switch (edge) {
    case TaskbarEdge::Left:
      return {c.width() - full.width(), 0};
    case TaskbarEdge::Top:
      return {0, c.height() - full.height()};
    default:
      return {0, 0};
  }
}

}  // namespace widgets
