#pragma once

#include <QString>

class QMessageBox;
class QWidget;

namespace users {

// A message box over a window with the window's title, opened window-modal so
// that the caller goes on; focusAfter gets the focus once it is closed. The
// box frees itself.
QMessageBox* showMessage(QWidget* window, const QString& text, QWidget* focusAfter = nullptr);

}  // namespace users
