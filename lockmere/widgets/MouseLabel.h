#pragma once

#include <QLabel>
#include <functional>

namespace widgets {

// A label that reports the mouse entering and leaving it (the popup's body text
// switches to its hover font with them).
class TMouseLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TMouseLabel(QWidget* parent = nullptr);

  std::function<void(TMouseLabel* sender)> OnMouseEnter;
  std::function<void(TMouseLabel* sender)> OnMouseLeave;

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
};

}  // namespace widgets
