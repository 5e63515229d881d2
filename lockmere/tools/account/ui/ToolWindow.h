#pragma once

#include <QWidget>
#include <cstdint>

#include "lockmere/tools/account/core/Problem.h"
#include "platform/WindowMessages.h"

class QLabel;

namespace account::ui {

// What every tool window shares: the tools' font and a title, deletion when
// closed, and the report to the program's window when it goes (0x7E9 with the
// result, or 0x7EB for the password generator), so that the program frees the
// tool's library and enables itself again.
class ToolWindow : public QWidget {
  Q_OBJECT
 public:
  ToolWindow(platform::WindowHandle owner, std::uint32_t closeMessage, const QString& title);
  ~ToolWindow() override;

  // The wParam of the report (0 unless a result says more).
  void setCloseResult(std::int64_t wParam) { result_ = wParam; }
  std::int64_t closeResult() const { return result_; }

  // Shows the window at (x, y) on the screen, or centred when both are 0.
  void showAt(int x = 0, int y = 0);
  // Makes the window tall enough for what its word-wrapped texts need now (a
  // top-level layout does not grow for a label that wraps to more lines).
  void fitToContents();

  // A label for a window's messages: word-wrapped, hidden while empty.
  static QLabel* makeMessageLabel(QWidget* parent, const QString& objectName);
  // Shows text in it, in red for a problem.
  static void showMessage(QLabel* label, const QString& text, bool problem);
  static void showProblem(QLabel* label, const Failure& failure);
  static void clearMessage(QLabel* label);

 private:
  platform::WindowHandle owner_;
  std::uint32_t closeMessage_;
  std::int64_t result_ = 0;
};

// fitToContents() of the tool window a widget is in, if any.
void fitWindowOf(QWidget* widget);

// A non-modal message box that deletes itself, for what the user should read
// after a tool window has gone (a refusal, a finished import).
void showNotice(const QString& title, const QString& text, bool problem);

}  // namespace account::ui
