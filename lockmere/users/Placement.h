#pragma once

#include <QRect>
#include <QWidget>

namespace users {

// Centres a window horizontally over another window's frame with its top a
// number of pixels below that frame's top (the confirmation window: 120, the
// deletion window: 90).
inline void placeOver(QWidget& window, const QRect& otherFrame, int topOffset) {
  const QSize size = window.frameGeometry().size();
  window.move(otherFrame.left() + (otherFrame.width() - size.width()) / 2, otherFrame.top() + topOffset);
}

}  // namespace users
