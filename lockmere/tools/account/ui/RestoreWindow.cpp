#include "lockmere/tools/account/ui/RestoreWindow.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "lockmere/tools/account/core/Restore.h"
#include "lockmere/tools/account/core/SiteTransfer.h"
#include "lockmere/tools/account/core/Unlock.h"
#include "lockmere/tools/account/ui/PasswordFields.h"
#include "lockmere/tools/account/ui/ToolTexts.h"
#include "platform/Registry.h"

namespace account::ui {
namespace {

QLineEdit* passwordEdit(QWidget* parent, const QString& name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setEchoMode(QLineEdit::Password);
  return edit;
}

}  // namespace

RestoreWindow::RestoreWindow(platform::WindowHandle owner, crypto::SecureBytes programKey, std::string loggedInId)
    : ToolWindow(owner, platform::msg::kToolFinished, text(Text::RestoreTitle)),
      programKey_(std::move(programKey)),
      loggedInId_(std::move(loggedInId)) {
  setObjectName(QStringLiteral("RestoreForm"));

  auto* restoreGroup = new QGroupBox(text(Text::RestoreGroup), this);
  backupFile_ = new FileField(FileField::Open, QStringLiteral("Lockmere backup (*.lmbackup);;* (*)"),
                              QStringLiteral("EdtBackupFile"), restoreGroup);
  backupInfo_ = makeMessageLabel(restoreGroup, QStringLiteral("LbBackupInfo"));
  backupPassword_ = passwordEdit(restoreGroup, QStringLiteral("EdtBackupPassword"));
  replaceNotice_ = makeMessageLabel(restoreGroup, QStringLiteral("LbReplaceNotice"));
  replace_ = new QCheckBox(text(Text::ReplaceConfirm), restoreGroup);
  replace_->setObjectName(QStringLiteral("CBReplace"));
  currentLabel_ = new QLabel(restoreGroup);
  currentPassword_ = passwordEdit(restoreGroup, QStringLiteral("EdtCurrentPassword"));
  restoreButton_ = new QPushButton(text(Text::RestoreButton), restoreGroup);
  restoreButton_->setObjectName(QStringLiteral("BtnRestore"));
  restoreMessage_ = makeMessageLabel(restoreGroup, QStringLiteral("LbRestoreMessage"));
  restoreForm_ = new QFormLayout;
  auto* restoreForm = restoreForm_;
  restoreForm->addRow(text(Text::BackupFileLabel), backupFile_);
  restoreForm->addRow(QString(), backupInfo_);
  restoreForm->addRow(text(Text::BackupPasswordLabel), backupPassword_);
  restoreForm->addRow(QString(), replaceNotice_);
  restoreForm->addRow(QString(), replace_);
  restoreForm->addRow(currentLabel_, currentPassword_);
  auto* restoreLayout = new QVBoxLayout(restoreGroup);
  restoreLayout->addLayout(restoreForm);
  restoreLayout->addWidget(restoreButton_, 0, Qt::AlignRight);
  restoreLayout->addWidget(restoreMessage_);

  auto* importGroup = new QGroupBox(text(Text::ImportGroup), this);
  auto* importIntro = new QLabel(loggedInId_.empty() ? text(Text::ImportNeedsLogin)
                                                     : text(Text::ImportIntro).arg(QString::fromStdString(loggedInId_)),
                                 importGroup);
  importIntro->setWordWrap(true);
  csvFile_ =
      new FileField(FileField::Open, QStringLiteral("CSV (*.csv);;* (*)"), QStringLiteral("EdtCsvFile"), importGroup);
  importPassword_ = passwordEdit(importGroup, QStringLiteral("EdtImportPassword"));
  auto* importButton = new QPushButton(text(Text::ImportButton), importGroup);
  importButton->setObjectName(QStringLiteral("BtnImport"));
  importMessage_ = makeMessageLabel(importGroup, QStringLiteral("LbImportMessage"));
  auto* importForm = new QFormLayout;
  importForm->addRow(text(Text::FileLabel), csvFile_);
  importForm->addRow(text(Text::PasswordLabel), importPassword_);
  auto* importLayout = new QVBoxLayout(importGroup);
  importLayout->addWidget(importIntro);
  importLayout->addLayout(importForm);
  importLayout->addWidget(importButton, 0, Qt::AlignRight);
  importLayout->addWidget(importMessage_);
  for (QWidget* w :
       {static_cast<QWidget*>(csvFile_), static_cast<QWidget*>(importPassword_), static_cast<QWidget*>(importButton)})
    w->setEnabled(!loggedInId_.empty());

  auto* buttons = new QDialogButtonBox(this);
  auto* close = buttons->addButton(text(Text::Close), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("BtnClose"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(restoreGroup);
  layout->addWidget(importGroup);
  layout->addWidget(buttons);
  setMinimumWidth(480);

  connect(backupFile_, &FileField::pathChanged, this, &RestoreWindow::readBackup);
  connect(restoreButton_, &QPushButton::clicked, this, &RestoreWindow::restore);
  connect(importButton, &QPushButton::clicked, this, &RestoreWindow::importSites);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  readBackup();
}

RestoreWindow::~RestoreWindow() {
  for (QLineEdit* e : {backupPassword_, currentPassword_, importPassword_}) e->clear();
}

void RestoreWindow::readBackup() {
  backup_.reset();
  clearMessage(restoreMessage_);
  std::optional<std::string> existing;
  const QString path = backupFile_->path();
  if (path.isEmpty()) {
    clearMessage(backupInfo_);
  } else if (auto contents = readBackupFile(path.toStdString()); !contents) {
    showProblem(backupInfo_, contents.failure());
  } else {
    backup_ = std::move(*contents);
    const QString made = QDateTime::fromSecsSinceEpoch(backup_->made).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    showMessage(backupInfo_, text(Text::BackupInfo).arg(QString::fromStdString(backup_->id), made), false);
    platform::Registry registry(platform::Registry::CurrentUser);
    existing = existingUser(AccountRegistry(registry), *backup_);
  }
  const QString name = existing ? QString::fromStdString(*existing) : QString();
  if (existing)
    showMessage(replaceNotice_, text(Text::ReplaceNotice).arg(name), true);
  else
    clearMessage(replaceNotice_);
  replacing_ = existing.has_value();
  replace_->setChecked(false);
  currentLabel_->setText(text(Text::CurrentPasswordLabel).arg(name));
  // Rows without content take no room.
  restoreForm_->setRowVisible(backupInfo_, !backupInfo_->text().isEmpty());
  restoreForm_->setRowVisible(replaceNotice_, existing.has_value());
  restoreForm_->setRowVisible(replace_, existing.has_value());
  restoreForm_->setRowVisible(currentPassword_, existing.has_value());
  restoreButton_->setEnabled(backup_.has_value());
  fitToContents();
}

void RestoreWindow::restore() {
  if (!backup_) return showMessage(restoreMessage_, text(Text::ChooseFile), true);
  platform::Registry registry(platform::Registry::CurrentUser);
  AccountRegistry accounts(registry);
  RestoreRequest request;
  request.backupPassword = backupPassword_->text().toStdString();
  if (replacing_ && replace_->isChecked()) request.currentPassword = currentPassword_->text().toStdString();
  request.loggedInId = loggedInId_;
  const auto done = restoreAccount(accounts, *backup_, request, programKey_);
  crypto::wipe(request.backupPassword);
  if (request.currentPassword) crypto::wipe(*request.currentPassword);
  if (!done) return showProblem(restoreMessage_, done.failure());
  backupPassword_->clear();
  currentPassword_->clear();
  const QString line = text(Text::RestoreDone).arg(QString::fromStdString(done->id));
  if (done->loggedInStoreRestored) return finishWithReload(line);
  showMessage(restoreMessage_, line, false);
  readBackup();  // the user exists now
  showMessage(restoreMessage_, line, false);
}

void RestoreWindow::importSites() {
  if (loggedInId_.empty()) return;
  const QString path = csvFile_->path();
  if (path.isEmpty()) return showMessage(importMessage_, text(Text::ChooseFile), true);
  platform::Registry registry(platform::Registry::CurrentUser);
  const AccountRegistry accounts(registry);
  std::string password = importPassword_->text().toStdString();
  auto account = unlockWithPassword(accounts, loggedInId_, password, programKey_);
  crypto::wipe(password);
  if (!account) return showProblem(importMessage_, account.failure());
  const auto summary = importCsvFile(accounts, *account, path.toStdString());
  if (!summary) return showProblem(importMessage_, summary.failure());
  importPassword_->clear();
  QString line = text(Text::ImportDone)
                     .arg(summary->added)
                     .arg(QString::fromStdString(summary->folder), QString::fromLatin1(formatName(summary->format)));
  if (summary->alreadyThere + summary->withoutAddress + summary->notLogins > 0)
    line += "\n" +
            text(Text::ImportLeftOut).arg(summary->alreadyThere).arg(summary->withoutAddress).arg(summary->notLogins);
  if (summary->added > 0) return finishWithReload(line);
  showMessage(importMessage_, line, false);
}

void RestoreWindow::finishWithReload(const QString& notice) {
  showNotice(windowTitle(), notice, false);
  setCloseResult(platform::msg::kToolStoreRestored);
  close();
}

}  // namespace account::ui
