#include "lockmere/tools/account/ui/NewUserWindow.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "lockmere/bio/EnrollmentLevel.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/tools/account/core/AccountCreation.h"
#include "lockmere/tools/account/core/Credentials.h"
#include "lockmere/tools/account/core/Fingers.h"
#include "lockmere/tools/account/ui/EnrollmentPanel.h"
#include "lockmere/tools/account/ui/PasswordFields.h"
#include "platform/Registry.h"

namespace account::ui {

NewUserWindow::NewUserWindow(platform::WindowHandle owner, crypto::SecureBytes programKey)
    : ToolWindow(owner, platform::msg::kToolFinished, text(Text::NewUserTitle)), programKey_(std::move(programKey)) {
  setObjectName(QStringLiteral("OrvaneForm"));
  auto* intro = new QLabel(text(Text::NewUserIntro), this);
  intro->setWordWrap(true);

  auto* form = new QFormLayout;
  id_ = new QLineEdit(this);
  id_->setObjectName(QStringLiteral("EdtUserID"));
  id_->setMaxLength(kMaxIdBytes);
  idProblem_ = makeMessageLabel(this, QStringLiteral("LbIdProblem"));
  form->addRow(text(Text::IdLabel), id_);
  form->addRow(QString(), idProblem_);
  passwords_ = new PasswordFields(this, form, Text::PasswordLabel, Text::PasswordAgainLabel);

  panel_ = new EnrollmentPanel(this);
  {
    platform::Registry registry(platform::Registry::CurrentUser);
    panel_->setEnrolledElsewhere(store::loadAllTemplateRecords(AccountRegistry(registry).userFiles(), programKey_));
  }
  auto* note = new QLabel(text(Text::NoFingerNote), this);
  note->setObjectName(QStringLiteral("LbNoFingerNote"));
  note->setWordWrap(true);

  auto* advanced = new QGroupBox(text(Text::AdvancedGroup), this);
  advanced->setObjectName(QStringLiteral("GrpAdvanced"));
  auto* advancedRow = new QHBoxLayout(advanced);
  level_ = new QComboBox(advanced);
  level_->setObjectName(QStringLiteral("CBLevel"));
  for (int level = VD_SECURITYMIN; level <= VD_SECURITYMAX; ++level) level_->addItem(QString::number(level), level);
  level_->setCurrentIndex(level_->findData(bio::kProgramEnrollmentLevel));
  advancedRow->addWidget(new QLabel(text(Text::LevelLabel), advanced));
  advancedRow->addWidget(level_);
  advancedRow->addWidget(new QLabel(text(Text::LevelNote), advanced));
  advancedRow->addStretch();

  message_ = makeMessageLabel(this, QStringLiteral("LbMessage"));
  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(text(Text::Register), QDialogButtonBox::AcceptRole);
  ok_->setObjectName(QStringLiteral("BtnOK"));
  ok_->setDefault(true);
  auto* cancel = buttons->addButton(text(Text::Cancel), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("BtnCancel"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addLayout(form);
  layout->addWidget(panel_);
  layout->addWidget(note);
  layout->addWidget(advanced);
  layout->addWidget(message_);
  layout->addWidget(buttons);

  connect(id_, &QLineEdit::textChanged, this, &NewUserWindow::checkId);
  connect(ok_, &QPushButton::clicked, this, &NewUserWindow::create);
  connect(cancel, &QPushButton::clicked, this, &QWidget::close);
  connect(panel_, &EnrollmentPanel::fingersChanged, this,
          [this, note] { note->setVisible(panel_->fingerCount() == 0); });
}

NewUserWindow::~NewUserWindow() { passwords_->clear(); }

void NewUserWindow::checkId() {
  const std::string id = id_->text().toStdString();
  Problem problem = id.empty() ? Problem::None : checkNewId(id);
  if (problem == Problem::None && !id.empty()) {
    platform::Registry registry(platform::Registry::CurrentUser);
    if (AccountRegistry(registry).find(id)) problem = Problem::IdExists;
  }
  if (problem == Problem::None)
    clearMessage(idProblem_);
  else
    showProblem(idProblem_, Failure(problem));
}

void NewUserWindow::create() {
  clearMessage(message_);
  NewAccount account;
  account.id = id_->text().toStdString();
  if (const Problem p = checkNewId(account.id); p != Problem::None) {
    showProblem(message_, Failure(p));
    id_->setFocus();
    return;
  }
  if (const Problem p = passwords_->check(); p != Problem::None) {
    showProblem(message_, Failure(p));
    passwords_->firstEdit()->setFocus();
    return;
  }
  panel_->stopEnrolling();  // a finger half enrolled is not part of the user
  account.password = passwords_->password().toStdString();
  account.fingers = panel_->fingers(level_->currentData().toInt());
  platform::Registry registry(platform::Registry::CurrentUser);
  AccountRegistry accounts(registry);
  AccountCreation creation(accounts, programKey_);
  const auto created = creation.create(account);
  crypto::wipe(account.password);
  wipe(account.fingers);
  if (!created) {
    showProblem(message_, created.failure());
    return;
  }
  close();
}

}  // namespace account::ui
