#include "lockmere/widgets/MouseLabel.h"

namespace widgets {

TMouseLabel::TMouseLabel(QWidget* parent) : QLabel(parent) {}

void TMouseLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  if (OnMouseEnter) OnMouseEnter(this);
}

void TMouseLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  if (OnMouseLeave) OnMouseLeave(this);
}

}  // namespace widgets
