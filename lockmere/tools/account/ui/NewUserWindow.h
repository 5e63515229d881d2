#pragma once

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/tools/account/ui/ToolWindow.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace account::ui {

class EnrollmentPanel;
class PasswordFields;

// Orvane's window: a new user's ID, password (twice) and fingers, created all
// or nothing when the user presses the button. The enrollment level is an
// advanced choice.
class NewUserWindow : public ToolWindow {
  Q_OBJECT
 public:
  NewUserWindow(platform::WindowHandle owner, crypto::SecureBytes programKey);
  ~NewUserWindow() override;

  EnrollmentPanel* enrollment() const { return panel_; }

 private:
  void checkId();
  void create();

  crypto::SecureBytes programKey_;
  QLineEdit* id_;
  QLabel* idProblem_;
  PasswordFields* passwords_;
  EnrollmentPanel* panel_;
  QComboBox* level_;
  QLabel* message_;
  QPushButton* ok_;
};

}  // namespace account::ui
