#pragma once

#include "lockmere/store/TemplateRecords.h"
#include "lockmere/users/FingerprintDialog.h"
#include "lockmere/users/OneOfAKind.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace users {

class RetryWaitLabel;
class SessionHost;

// The login window: a user of the program proves who they are by ID and
// password, or by laying a finger on the sensor without typing anything (the
// finger is searched among the templates of every user). Modal; results mrOK
// (the data key is in the host's key buffer, the current user ID set),
// mrCancel, or mrNewUser (the new-user tool was started).
class TLoginForm : public FingerprintDialog, public OneOfAKind<TLoginForm> {
  Q_OBJECT

 public:
  explicit TLoginForm(SessionHost& host, QWidget* parent = nullptr);

  // The all-users template array (filled at start-up when the driver is there).
  const store::TemplateRecords& allUserRecords() const { return allUsers_; }

 public slots:
  void BtnOKClick();
  void BtnCancelClick();
  void BtnNewUserClick();

 private:
  void handleMessage(const platform::Message& m) override;
  void clearSecrets() override;
  void startUp();             // 0x401
  void startVerify();         // 0x402
  void fingerMatched(int i);  // 0x403
  void accept(const std::string& userId, const crypto::SecureBytes& dataKey, store::TemplateRecords records);
  void buildControls();

  store::TemplateRecords allUsers_;

  QGroupBox* GroupBox1 = nullptr;
  QLabel* lbUserID = nullptr;
  QLabel* lbPassword = nullptr;
  QComboBox* UserID = nullptr;
  QLineEdit* UserPassword = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QLabel* lbFingerprint = nullptr;
  RetryWaitLabel* retryWait_ = nullptr;
  QPushButton* BtnOK = nullptr;
  QPushButton* BtnCancel = nullptr;
  QPushButton* BtnNewUser = nullptr;
};

}  // namespace users
