#include "lockmere/tools/account/ui/ChangeWindows.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "lockmere/bio/EnrollmentLevel.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/tools/account/core/AccountChanges.h"
#include "lockmere/tools/account/core/Fingers.h"
#include "lockmere/tools/account/ui/EnrollmentPanel.h"
#include "lockmere/tools/account/ui/PasswordFields.h"
#include "lockmere/tools/account/ui/ToolTexts.h"
#include "platform/Registry.h"

namespace account::ui {
namespace {

QDialogButtonBox* okCancel(QWidget* parent, QPushButton*& ok) {
  auto* buttons = new QDialogButtonBox(parent);
  ok = buttons->addButton(text(Text::Change), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("BtnOK"));
  ok->setDefault(true);
  auto* cancel = buttons->addButton(text(Text::Cancel), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("BtnCancel"));
  QObject::connect(cancel, &QPushButton::clicked, parent, &QWidget::close);
  return buttons;
}

}  // namespace

PasswordChangeWindow::PasswordChangeWindow(platform::WindowHandle owner, crypto::SecureBytes programKey,
                                           UnlockedAccount account)
    : ToolWindow(owner, platform::msg::kToolFinished, text(Text::PasswordChangeTitle)),
      programKey_(std::move(programKey)),
      account_(std::move(account)) {
  setObjectName(QStringLiteral("PWModifyForm"));
  auto* intro = new QLabel(text(Text::PasswordChangeIntro).arg(QString::fromStdString(account_.id)), this);
  intro->setWordWrap(true);
  auto* form = new QFormLayout;
  passwords_ = new PasswordFields(this, form, Text::NewPasswordLabel, Text::NewPasswordAgainLabel);
  message_ = makeMessageLabel(this, QStringLiteral("LbMessage"));
  QPushButton* ok = nullptr;
  auto* buttons = okCancel(this, ok);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addLayout(form);
  layout->addWidget(message_);
  layout->addWidget(buttons);
  setMinimumWidth(380);
  connect(ok, &QPushButton::clicked, this, &PasswordChangeWindow::change);
}

PasswordChangeWindow::~PasswordChangeWindow() { passwords_->clear(); }

void PasswordChangeWindow::change() {
  if (const Problem p = passwords_->check(); p != Problem::None) {
    showProblem(message_, Failure(p));
    passwords_->firstEdit()->setFocus();
    return;
  }
  platform::Registry registry(platform::Registry::CurrentUser);
  AccountRegistry accounts(registry);
  std::string password = passwords_->password().toStdString();
  const Failure failed = changePassword(accounts, account_, password, programKey_);
  crypto::wipe(password);
  if (failed) return showProblem(message_, failed);
  showNotice(windowTitle(), text(Text::PasswordChanged), false);
  close();
}

FingerprintChangeWindow::FingerprintChangeWindow(platform::WindowHandle owner, crypto::SecureBytes programKey,
                                                 UnlockedAccount account)
    : ToolWindow(owner, platform::msg::kToolFinished, text(Text::FingerprintChangeTitle)),
      programKey_(std::move(programKey)),
      account_(std::move(account)) {
  setObjectName(QStringLiteral("FPModifyForm"));
  auto* intro = new QLabel(text(Text::FingerprintChangeIntro).arg(QString::fromStdString(account_.id)), this);
  intro->setWordWrap(true);
  panel_ = new EnrollmentPanel(this);
  {
    // The user's own old fingers may be enrolled again; other users' may not.
    platform::Registry registry(platform::Registry::CurrentUser);
    panel_->setEnrolledElsewhere(
        store::loadAllTemplateRecords(AccountRegistry(registry).userFiles(account_.id), programKey_));
  }
  message_ = makeMessageLabel(this, QStringLiteral("LbMessage"));
  QPushButton* ok = nullptr;
  auto* buttons = okCancel(this, ok);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addWidget(panel_);
  layout->addWidget(message_);
  layout->addWidget(buttons);
  ok->setEnabled(false);
  connect(panel_, &EnrollmentPanel::fingersChanged, this, [this, ok] { ok->setEnabled(panel_->fingerCount() > 0); });
  connect(ok, &QPushButton::clicked, this, &FingerprintChangeWindow::change);
}

FingerprintChangeWindow::~FingerprintChangeWindow() = default;

void FingerprintChangeWindow::change() {
  panel_->stopEnrolling();
  platform::Registry registry(platform::Registry::CurrentUser);
  AccountRegistry accounts(registry);
  auto fingers = panel_->fingers(bio::kProgramEnrollmentLevel);
  const Failure failed = replaceFingerprints(accounts, account_, fingers, programKey_);
  wipe(fingers);
  if (failed) return showProblem(message_, failed);
  setCloseResult(platform::msg::kToolFingerprintsChanged);
  close();
}

}  // namespace account::ui
