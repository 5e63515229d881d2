#pragma once

#include <QDialog>

#include "lockmere/store/TemplateRecords.h"
#include "lockmere/store/UserDirectory.h"
#include "lockmere/users/ModalResult.h"
#include "lockmere/users/OneOfAKind.h"
#include "lockmere/users/SensorWatch.h"
#include "platform/bus/MessageReceiver.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace bio {
class TNimbraMSDK;
class TNimbraUtil;
}  // namespace bio

namespace users {

class RetryWaitLabel;
class SessionHost;

// The login window: a user of the program proves who they are by ID and
// password, or by laying a finger on the sensor without typing anything (the
// finger is searched among the templates of every user). Modal; results mrOK
// (the data key is in the host's key buffer, the current user ID set),
// mrCancel, or mrNewUser (the new-user tool was started).
class TLoginForm : public QDialog, public OneOfAKind<TLoginForm> {
  Q_OBJECT

 public:
  explicit TLoginForm(SessionHost& host, QWidget* parent = nullptr);
  ~TLoginForm() override;

  platform::WindowHandle handle() const { return receiver_.handle(); }
  // The all-users template array (filled at start-up when the driver is there).
  const store::TemplateRecords& allUserRecords() const { return allUsers_; }
  bool isVerifying() const { return watch_.isVerifying(); }

  void done(int result) override;
  void reject() override;  // the close box and Escape: mrCancel

 public slots:
  void BtnOKClick();
  void BtnCancelClick();
  void BtnNewUserClick();

 private:
  std::int64_t onMessage(const platform::Message& m);
  void startUp();             // 0x401
  void startVerify();         // 0x402
  void fingerMatched(int i);  // 0x403
  void accept(const std::string& userId, const crypto::SecureBytes& dataKey, store::TemplateRecords records);
  void buildControls();

  SessionHost& host_;
  store::UserDirectory users_;
  platform::MessageReceiver receiver_;
  bio::TNimbraMSDK* sdk_;
  bio::TNimbraUtil* util_;
  SensorWatch watch_;
  store::TemplateRecords allUsers_;
  bool finished_ = false;

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
