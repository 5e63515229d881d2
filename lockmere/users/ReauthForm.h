#pragma once

#include <QList>

#include "lockmere/users/FingerprintDialog.h"

class QLineEdit;
class QPushButton;

namespace users {

class RetryWaitLabel;
class SessionHost;

// What the confirmation and deletion windows share: the logged-in user proves
// who they are again, by password (`EdtPWD`, `btnOK`) or by laying a finger
// that matches one of their own records, and the window then does its work
// (confirmed()). A status line tells whether the sensor can be used.
class ReauthForm : public FingerprintDialog {
  Q_OBJECT

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
  // The window's layout: its groups, the wait line, the buttons.
  void layOut(const QList<QWidget*>& groups);

  // The controls the subclasses place in their layouts.
  QLineEdit* EdtPWD = nullptr;
  QPushButton* btnOK = nullptr;
  QPushButton* btnCancel = nullptr;
  RetryWaitLabel* retryWait = nullptr;

 private:
  void handleMessage(const platform::Message& m) override;
  void clearSecrets() override;
  void startVerify();  // 0x402

  bool shown_ = false;
};

}  // namespace users
