#pragma once

#include <QDialog>

#include "lockmere/store/UserDirectory.h"
#include "lockmere/users/ModalResult.h"
#include "lockmere/users/SensorWatch.h"
#include "platform/bus/MessageReceiver.h"

class QLineEdit;
class QPushButton;

namespace bio {
class TNimbraMSDK;
class TNimbraUtil;
}  // namespace bio

namespace users {

class RetryWaitLabel;
class SessionHost;

// What the confirmation and deletion windows share: the logged-in user proves
// who they are again, by password (`EdtPWD`, `btnOK`) or by laying a finger
// that matches one of their own records, and the window then does its work
// (confirmed()). A status line tells whether the sensor can be used.
class ReauthForm : public QDialog {
  Q_OBJECT

 public:
  ~ReauthForm() override;

  platform::WindowHandle handle() const { return receiver_.handle(); }
  bool isVerifying() const { return watch_.isVerifying(); }

  void done(int result) override;
  void reject() override;  // the close box and Escape: mrCancel

 public slots:
  void btnOKClick();
  void btnCancelClick();

 protected:
  ReauthForm(SessionHost& host, QWidget* parent);

  // The window's own work once the user is confirmed (0x403).
  virtual void confirmed() = 0;
  // The sensor status; replace: the line shows only this text, else it is added.
  virtual void showStatus(const QString& text, bool replace) = 0;

  void showEvent(QShowEvent* event) override;

  SessionHost& host() { return host_; }
  store::UserDirectory& users() { return users_; }
  bool isFinished() const { return finished_; }

  // The controls the subclasses place in their layouts.
  QLineEdit* EdtPWD = nullptr;
  QPushButton* btnOK = nullptr;
  QPushButton* btnCancel = nullptr;
  RetryWaitLabel* retryWait = nullptr;

 private:
  std::int64_t onMessage(const platform::Message& m);
  void startVerify();  // 0x402

  SessionHost& host_;
  store::UserDirectory users_;
  platform::MessageReceiver receiver_;
  bio::TNimbraMSDK* sdk_;
  bio::TNimbraUtil* util_;
  SensorWatch watch_;
  bool shown_ = false;
  bool finished_ = false;
};

}  // namespace users
