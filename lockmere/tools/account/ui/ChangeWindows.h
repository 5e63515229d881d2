#pragma once

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/tools/account/core/Unlock.h"
#include "lockmere/tools/account/ui/ToolWindow.h"

class QLabel;

namespace account::ui {

class EnrollmentPanel;
class PasswordFields;

// LMModify's password change: a new password twice; rewrites Key1 only.
class PasswordChangeWindow : public ToolWindow {
  Q_OBJECT
 public:
  PasswordChangeWindow(platform::WindowHandle owner, crypto::SecureBytes programKey, UnlockedAccount account);
  ~PasswordChangeWindow() override;

 private:
  void change();

  crypto::SecureBytes programKey_;
  UnlockedAccount account_;
  PasswordFields* passwords_;
  QLabel* message_;
};

// LMModify's fingerprint change: the user's fingers enrolled anew; the
// template records and Key2 are rewritten together, and the window closes
// with 0x7E9 / 102 so that the program reloads the user's records.
class FingerprintChangeWindow : public ToolWindow {
  Q_OBJECT
 public:
  FingerprintChangeWindow(platform::WindowHandle owner, crypto::SecureBytes programKey, UnlockedAccount account);
  ~FingerprintChangeWindow() override;

  EnrollmentPanel* enrollment() const { return panel_; }

 private:
  void change();

  crypto::SecureBytes programKey_;
  UnlockedAccount account_;
  EnrollmentPanel* panel_;
  QLabel* message_;
};

}  // namespace account::ui
