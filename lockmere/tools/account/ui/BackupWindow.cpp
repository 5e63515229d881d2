#include "lockmere/tools/account/ui/BackupWindow.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "lockmere/tools/account/core/Backup.h"
#include "lockmere/tools/account/core/SiteTransfer.h"
#include "lockmere/tools/account/core/Unlock.h"
#include "lockmere/tools/account/ui/PasswordFields.h"
#include "lockmere/tools/account/ui/ToolTexts.h"
#include "platform/Registry.h"

namespace account::ui {

BackupWindow::BackupWindow(platform::WindowHandle owner, crypto::SecureBytes programKey, std::string userId)
    : ToolWindow(owner, platform::msg::kToolFinished, text(Text::BackupTitle)),
      programKey_(std::move(programKey)),
      userId_(std::move(userId)) {
  setObjectName(QStringLiteral("BackupForm"));
  const QString id = QString::fromStdString(userId_);

  auto* backupGroup = new QGroupBox(text(Text::BackupGroup), this);
  auto* intro = new QLabel(text(Text::BackupIntro).arg(id), backupGroup);
  intro->setWordWrap(true);
  backupFile_ = new FileField(FileField::Save, QStringLiteral("Lockmere backup (*.lmbackup)"),
                              QStringLiteral("EdtBackupFile"), backupGroup);
  auto* backupButton = new QPushButton(text(Text::BackupButton), backupGroup);
  backupButton->setObjectName(QStringLiteral("BtnBackup"));
  backupMessage_ = makeMessageLabel(backupGroup, QStringLiteral("LbBackupMessage"));
  auto* backupForm = new QFormLayout;
  backupForm->addRow(text(Text::FileLabel), backupFile_);
  auto* backupLayout = new QVBoxLayout(backupGroup);
  backupLayout->addWidget(intro);
  backupLayout->addLayout(backupForm);
  backupLayout->addWidget(backupButton, 0, Qt::AlignRight);
  backupLayout->addWidget(backupMessage_);

  auto* exportGroup = new QGroupBox(text(Text::ExportGroup), this);
  auto* warning = new QLabel(text(Text::ExportWarning), exportGroup);
  warning->setObjectName(QStringLiteral("LbExportWarning"));
  warning->setWordWrap(true);
  warning->setStyleSheet(QStringLiteral("color: #b00020; font-weight: bold;"));
  csvFile_ = new FileField(FileField::Save, QStringLiteral("CSV (*.csv)"), QStringLiteral("EdtCsvFile"), exportGroup);
  password_ = new QLineEdit(exportGroup);
  password_->setObjectName(QStringLiteral("EdtPassword"));
  password_->setEchoMode(QLineEdit::Password);
  auto* exportButton = new QPushButton(text(Text::ExportButton), exportGroup);
  exportButton->setObjectName(QStringLiteral("BtnExport"));
  exportMessage_ = makeMessageLabel(exportGroup, QStringLiteral("LbExportMessage"));
  auto* exportForm = new QFormLayout;
  exportForm->addRow(text(Text::FileLabel), csvFile_);
  exportForm->addRow(text(Text::PasswordLabel), password_);
  auto* exportLayout = new QVBoxLayout(exportGroup);
  exportLayout->addWidget(warning);
  exportLayout->addLayout(exportForm);
  exportLayout->addWidget(exportButton, 0, Qt::AlignRight);
  exportLayout->addWidget(exportMessage_);

  auto* buttons = new QDialogButtonBox(this);
  auto* close = buttons->addButton(text(Text::Close), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("BtnClose"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(backupGroup);
  layout->addWidget(exportGroup);
  layout->addWidget(buttons);
  setMinimumWidth(460);

  connect(backupButton, &QPushButton::clicked, this, &BackupWindow::backup);
  connect(exportButton, &QPushButton::clicked, this, &BackupWindow::exportSites);
  connect(password_, &QLineEdit::returnPressed, this, &BackupWindow::exportSites);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
}

BackupWindow::~BackupWindow() { password_->clear(); }

void BackupWindow::backup() {
  const QString path = backupFile_->path();
  if (path.isEmpty()) return showMessage(backupMessage_, text(Text::ChooseFile), true);
  platform::Registry registry(platform::Registry::CurrentUser);
  auto contents = collectBackup(AccountRegistry(registry), userId_);
  if (!contents) return showProblem(backupMessage_, contents.failure());
  if (Failure f = writeBackupFile(path.toStdString(), *contents)) return showProblem(backupMessage_, f);
  showMessage(backupMessage_, text(Text::BackupDone).arg(path), false);
}

void BackupWindow::exportSites() {
  const QString path = csvFile_->path();
  if (path.isEmpty()) return showMessage(exportMessage_, text(Text::ChooseFile), true);
  platform::Registry registry(platform::Registry::CurrentUser);
  const AccountRegistry accounts(registry);
  std::string password = password_->text().toStdString();
  auto account = unlockWithPassword(accounts, userId_, password, programKey_);
  crypto::wipe(password);
  if (!account) return showProblem(exportMessage_, account.failure());
  password_->clear();
  auto count = exportCsvFile(*account, path.toStdString());
  if (!count) return showProblem(exportMessage_, count.failure());
  showMessage(exportMessage_, text(Text::ExportDone).arg(*count).arg(path), false);
}

}  // namespace account::ui
