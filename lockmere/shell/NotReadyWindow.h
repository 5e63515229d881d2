#pragma once

#include <QWidget>

class QLabel;

// Shown while the program's main window is still being built.
class NotReadyWindow : public QWidget {
  Q_OBJECT
 public:
  explicit NotReadyWindow(QWidget* parent = nullptr);
  QString text() const;

 private:
  QLabel* label_;
};
