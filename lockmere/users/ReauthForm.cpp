#include "lockmere/users/ReauthForm.h"

#include <QLineEdit>
#include <QPushButton>

#include <QHBoxLayout>
#include <QVBoxLayout>
#include "lockmere/users/MessageBox.h"
#include "lockmere/users/ModalResult.h"
#include "lockmere/users/PasswordAttempts.h"
#include "lockmere/users/RetryWaitLabel.h"
#include "lockmere/users/SessionHost.h"
#include "lockmere/users/UsersTexts.h"

namespace users {

ReauthForm::ReauthForm(SessionHost& host, QWidget* parent) : FingerprintDialog(host, parent) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowFlag(Qt::WindowStaysOnTopHint);

  EdtPWD = new QLineEdit(this);
  EdtPWD->setObjectName(QStringLiteral("EdtPWD"));
  EdtPWD->setEchoMode(QLineEdit::Password);
  btnOK = new QPushButton(QString::fromUtf8(text::kOk), this);
  btnOK->setObjectName(QStringLiteral("btnOK"));
  btnCancel = new QPushButton(QString::fromUtf8(text::kCancel), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  for (QPushButton* b : {btnOK, btnCancel}) b->setAutoDefault(false);
  retryWait = new RetryWaitLabel(this);
  retryWait->setLockedWidgets({EdtPWD, btnOK});
  connect(retryWait, &RetryWaitLabel::waitOver, EdtPWD, [this] { EdtPWD->setFocus(); });
  connect(btnOK, &QPushButton::clicked, this, &ReauthForm::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &ReauthForm::btnCancelClick);
  // Queued: the box it may open must not see the rest of this key press.
  connect(EdtPWD, &QLineEdit::returnPressed, this, &ReauthForm::btnOKClick, Qt::QueuedConnection);
  retryWait->refresh();
}

void ReauthForm::layOut(const QList<QWidget*>& groups) {
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  for (QWidget* group : groups) layout->addWidget(group);
  layout->addWidget(retryWait);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  EdtPWD->setFocus();
}

void ReauthForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  if (!watch().driverInstalled()) {
    showStatus(QString::fromUtf8(text::kNoDriver), false);
  } else if (watch().sensorConnected()) {
    post(platform::msg::kLoginStartVerify);
  } else {
    showStatus(QString::fromUtf8(text::kNoSensor), true);
    watch().waitForSensor();
  }
}

void ReauthForm::handleMessage(const platform::Message& m) {
  if (m.message == platform::msg::kLoginStartVerify) {
    startVerify();
  } else if (m.message == platform::msg::kLoginAccepted) {
    PasswordAttempts::shared().recordSuccess();
    watch().stop();
    confirmed();
  }
}

void ReauthForm::startVerify() {
  const store::TemplateRecords& records = host().userRecords();
  // Without fingerprints of this user there is nothing to lay on the sensor.
  if (records.isEmpty()) return;
  showStatus(QString::fromUtf8(text::kVerifying), true);
  watch().onSensorGone = [this] { showStatus(QString::fromUtf8(text::kNoSensor), true); };
  watch().verify(records);
}

void ReauthForm::btnOKClick() {
  if (isFinished() || retryWait->isWaiting()) return;
  if (EdtPWD->text().isEmpty()) {
    showMessage(this, QString::fromUtf8(text::kEmptyPassword), EdtPWD);
    return;
  }
  std::string password = EdtPWD->text().toStdString();
  const auto confirmed = users().confirmPassword(host().currentUserId(), password);
  crypto::wipe(password);
  if (!confirmed) return;  // the user's key is gone: nothing to check against
  EdtPWD->clear();
  if (*confirmed) {
    post(platform::msg::kLoginAccepted);
    return;
  }
  PasswordAttempts::shared().recordFailure();
  showMessage(this, QString::fromUtf8(text::kWrongPassword), EdtPWD);
  retryWait->refresh();
}

void ReauthForm::btnCancelClick() { done(mrCancel); }

void ReauthForm::clearSecrets() { EdtPWD->clear(); }

}  // namespace users
