#include "lockmere/users/ReauthForm.h"

#include <QLineEdit>
#include <QPushButton>

#include "lockmere/bio/NimbraSDK.h"
#include "lockmere/bio/NimbraUtil.h"
#include "lockmere/users/MessageBox.h"
#include "lockmere/users/ModalResult.h"
#include "lockmere/users/PasswordAttempts.h"
#include "lockmere/users/RetryWaitLabel.h"
#include "lockmere/users/SessionHost.h"
#include "lockmere/users/UsersTexts.h"
#include "platform/bus/MessageBus.h"

namespace users {

ReauthForm::ReauthForm(SessionHost& host, QWidget* parent)
    : QDialog(parent),
      host_(host),
      users_(platform::Registry(platform::Registry::CurrentUser), host.programKey()),
      receiver_([this](const platform::Message& m) { return onMessage(m); }),
      sdk_(SensorWatch::createBinding(this)),
      util_(new bio::TNimbraUtil(this)),
      watch_(util_, receiver_.handle()) {
  util_->setNimbraMSDK(sdk_);
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
  connect(EdtPWD, &QLineEdit::returnPressed, this, &ReauthForm::btnOKClick);
  retryWait->refresh();
}

ReauthForm::~ReauthForm() {
  finished_ = true;
  watch_.stop();
  delete util_;
  delete sdk_;
}

void ReauthForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  if (!watch_.driverInstalled()) {
    showStatus(QString::fromUtf8(text::kNoDriver), false);
  } else if (watch_.sensorConnected()) {
    platform::MessageBus::post(handle(), platform::msg::kLoginStartVerify);
  } else {
    showStatus(QString::fromUtf8(text::kNoSensor), true);
    watch_.waitForSensor();
  }
}

std::int64_t ReauthForm::onMessage(const platform::Message& m) {
  if (finished_) return 0;
  if (m.message == platform::msg::kLoginStartVerify) {
    startVerify();
  } else if (m.message == platform::msg::kLoginAccepted) {
    PasswordAttempts::shared().recordSuccess();
    watch_.stop();
    confirmed();
  }
  return 0;
}

void ReauthForm::startVerify() {
  const store::TemplateRecords& records = host_.userRecords();
  // Without fingerprints of this user there is nothing to lay on the sensor.
  if (records.isEmpty()) return;
  showStatus(QString::fromUtf8(text::kVerifying), true);
  watch_.onSensorGone = [this] { showStatus(QString::fromUtf8(text::kNoSensor), true); };
  watch_.verify(records);
}

void ReauthForm::btnOKClick() {
  if (finished_ || retryWait->isWaiting()) return;
  if (EdtPWD->text().isEmpty()) {
    showMessage(this, QString::fromUtf8(text::kEmptyPassword), EdtPWD);
    return;
  }
  std::string password = EdtPWD->text().toStdString();
  const auto confirmed = users_.confirmPassword(host_.currentUserId(), password);
  crypto::wipe(password);
  if (!confirmed) return;  // the user's key is gone: nothing to check against
  EdtPWD->clear();
  if (*confirmed) {
    platform::MessageBus::post(handle(), platform::msg::kLoginAccepted);
    return;
  }
  PasswordAttempts::shared().recordFailure();
  showMessage(this, QString::fromUtf8(text::kWrongPassword), EdtPWD);
  retryWait->refresh();
}

void ReauthForm::btnCancelClick() { done(mrCancel); }

void ReauthForm::reject() { done(mrCancel); }

void ReauthForm::done(int result) {
  finished_ = true;
  watch_.stop();
  EdtPWD->clear();
  QDialog::done(result);
}

}  // namespace users
