#include "lockmere/users/LoginForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDebug>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "lockmere/texts/StringTable.h"
#include "lockmere/users/MessageBox.h"
#include "lockmere/users/PasswordAttempts.h"
#include "lockmere/users/RetryWaitLabel.h"
#include "lockmere/users/SessionHost.h"
#include "lockmere/users/UsersTexts.h"

namespace users {

using text::L;

TLoginForm::TLoginForm(SessionHost& host, QWidget* parent) : FingerprintDialog(host, parent) {
  takePlace(this);
  setObjectName(QStringLiteral("LoginForm"));
  setModal(true);
  buildControls();

  UserID->addItems([this] {
    QStringList ids;
    for (const std::string& id : users().userIds()) ids << QString::fromStdString(id);
    return ids;
  }());
  const QString last = QString::fromStdString(users().lastLoginId());
  const int lastIndex = last.isEmpty() ? -1 : UserID->findText(last, Qt::MatchExactly | Qt::MatchCaseSensitive);
  UserID->setCurrentIndex(lastIndex);
  if (lastIndex < 0) UserID->setEditText(QString());
  CheckBox1->setChecked(users().autoLogin());

  QCoreApplication::processEvents();
  post(platform::msg::kLoginStartup);
  retryWait_->refresh();
}

void TLoginForm::buildControls() {
  setWindowTitle(QStringLiteral("Lockmere - ") + texts::M(2));
  setFont(texts::uiFont());

  GroupBox1 = new QGroupBox(L(1), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  lbUserID = new QLabel(texts::M(50), GroupBox1);
  lbUserID->setObjectName(QStringLiteral("lbUserID"));
  lbPassword = new QLabel(texts::M(51), GroupBox1);
  lbPassword->setObjectName(QStringLiteral("lbPassword"));
  UserID = new QComboBox(GroupBox1);
  UserID->setObjectName(QStringLiteral("UserID"));
  UserID->setEditable(true);
  UserID->setInsertPolicy(QComboBox::NoInsert);
  UserPassword = new QLineEdit(GroupBox1);
  UserPassword->setObjectName(QStringLiteral("UserPassword"));
  UserPassword->setEchoMode(QLineEdit::Password);
  CheckBox1 = new QCheckBox(L(3), GroupBox1);
  CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
  auto* grid = new QGridLayout(GroupBox1);
  grid->addWidget(lbUserID, 0, 0);
  grid->addWidget(UserID, 0, 1);
  grid->addWidget(lbPassword, 1, 0);
  grid->addWidget(UserPassword, 1, 1);
  grid->addWidget(CheckBox1, 2, 1);
  grid->setColumnStretch(1, 1);

  GroupBox2 = new QGroupBox(this);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  lbFingerprint = new QLabel(text::shown(L(2)), GroupBox2);
  lbFingerprint->setObjectName(QStringLiteral("lbFingerprint"));
  lbFingerprint->setAlignment(Qt::AlignCenter);
  (new QVBoxLayout(GroupBox2))->addWidget(lbFingerprint);

  retryWait_ = new RetryWaitLabel(this);

  BtnOK = new QPushButton(L(4) + QStringLiteral(" (&O)"), this);
  BtnOK->setObjectName(QStringLiteral("BtnOK"));
  BtnCancel = new QPushButton(L(5) + QStringLiteral(" (&C)"), this);
  BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
  BtnNewUser = new QPushButton(L(6) + QStringLiteral(" (&N)"), this);
  BtnNewUser->setObjectName(QStringLiteral("BtnNewUser"));
  for (QPushButton* b : {BtnOK, BtnCancel, BtnNewUser}) b->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtnNewUser);
  buttons->addStretch(1);
  buttons->addWidget(BtnOK);
  buttons->addWidget(BtnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GroupBox1);
  layout->addWidget(GroupBox2);
  layout->addWidget(retryWait_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setMinimumWidth(340);

  retryWait_->setLockedWidgets({UserPassword, BtnOK});
  connect(retryWait_, &RetryWaitLabel::waitOver, UserPassword, [this] { UserPassword->setFocus(); });
  connect(BtnOK, &QPushButton::clicked, this, &TLoginForm::BtnOKClick);
  connect(BtnCancel, &QPushButton::clicked, this, &TLoginForm::BtnCancelClick);
  connect(BtnNewUser, &QPushButton::clicked, this, &TLoginForm::BtnNewUserClick);
  // Queued: the box it may open must not see the rest of this key press.
  connect(UserPassword, &QLineEdit::returnPressed, this, &TLoginForm::BtnOKClick, Qt::QueuedConnection);
}

void TLoginForm::handleMessage(const platform::Message& m) {
  switch (m.message) {
    case platform::msg::kLoginStartup:
      startUp();
      break;
    case platform::msg::kLoginStartVerify:
      startVerify();
      break;
    case platform::msg::kLoginAccepted:
      fingerMatched(static_cast<int>(m.wParam));
      break;
    default:
      break;
  }
}

void TLoginForm::startUp() {
  raise();
  activateWindow();
  const bool driver = watch().driverInstalled();
  lbFingerprint->setEnabled(driver);
  if (!driver) return;
  allUsers_ = users().loadAllRecords();
  if (!UserID->currentText().isEmpty()) UserPassword->setFocus();
  if (allUsers_.isEmpty()) return;
  if (watch().sensorConnected())
    post(platform::msg::kLoginStartVerify);
  else
    watch().waitForSensor();
}

void TLoginForm::startVerify() { watch().verify(allUsers_); }

void TLoginForm::fingerMatched(int index) {
  auto login = users().loginByFingerprint(allUsers_, static_cast<std::size_t>(index));
  if (!login) {
    // A finger that matched but does not open its owner's key: wait for the next one.
    startVerify();
    return;
  }
  accept(login->userId, login->dataKey, std::move(login->records));
}

void TLoginForm::BtnOKClick() {
  if (isFinished() || retryWait_->isWaiting()) return;
  const std::string id = UserID->currentText().toStdString();
  if (id.empty()) {
    showMessage(this, L(7), UserID);
    return;
  }
  if (UserPassword->text().isEmpty()) {
    showMessage(this, L(8), UserPassword);
    return;
  }
  std::string password = UserPassword->text().toStdString();
  auto login = users().loginByPassword(id, password);
  crypto::wipe(password);
  switch (login.result) {
    case store::UserDirectory::PasswordResult::NoSuchUser:
      showMessage(this, L(9), UserID);
      return;
    case store::UserDirectory::PasswordResult::Refused:
      UserPassword->clear();
      PasswordAttempts::shared().recordFailure();
      showMessage(this, text::shown(L(10) + QStringLiteral("\r\n\r\n") + L(11)), UserPassword);
      retryWait_->refresh();
      return;
    case store::UserDirectory::PasswordResult::Accepted:
      UserPassword->clear();
      accept(id, login.dataKey, store::recordsOwnedBy(allUsers_, id));
      return;
  }
}

void TLoginForm::accept(const std::string& userId, const crypto::SecureBytes& dataKey, store::TemplateRecords records) {
  host().dataKey().assign(dataKey.begin(), dataKey.end());
  std::string error;
  if (!users().writeAutoLogin(userId, dataKey, CheckBox1->isChecked(), &error))
    qWarning() << "the automatic login could not be stored:" << QString::fromStdString(error);
  host().setCurrentUserId(userId);
  host().userRecords() = std::move(records);
  PasswordAttempts::shared().recordSuccess();
  done(mrOK);
}

void TLoginForm::BtnNewUserClick() {
  host().startNewUserTool();
  done(mrNewUser);
}

void TLoginForm::BtnCancelClick() { done(mrCancel); }

void TLoginForm::clearSecrets() { UserPassword->clear(); }

}  // namespace users
