#pragma once

#include "lockmere/tools/account/ui/ToolWindow.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace account::ui {

// Caskle's password generator: length, character classes, look-alike
// characters left out; the password can be copied to the clipboard, which is
// cleared again after 30 seconds if it still holds it (also when the window
// has gone by then). Reports 0x7EB when it closes.
class PasswordGenWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kClipboardSeconds = 30;

  explicit PasswordGenWindow(platform::WindowHandle owner);
  ~PasswordGenWindow() override;

 private:
  void generate();
  void copy();

  QSpinBox* length_;
  QCheckBox* upper_;
  QCheckBox* lower_;
  QCheckBox* digits_;
  QCheckBox* symbols_;
  QCheckBox* avoid_;
  QLineEdit* password_;
  QLabel* message_;
};

// Clears the clipboard after a while if it still holds the text it was given.
// Lives on its own (parented to the application), so it outlasts the window.
class ClipboardGuard : public QObject {
  Q_OBJECT
 public:
  static void watch(const QString& secret, int seconds);
  ~ClipboardGuard() override;

 private:
  explicit ClipboardGuard(const QString& secret);
  void expire();
  QString secret_;
};

}  // namespace account::ui
