#pragma once

#include <optional>
#include <string>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/tools/account/core/Backup.h"
#include "lockmere/tools/account/ui/ToolWindow.h"

class QCheckBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace account::ui {

class FileField;

// Caskle's restore window: an account back from a backup file (a new user,
// or in place of the user with that ID after that user's current password),
// and, for the logged-in user, sites from other password managers' CSV
// exports. When the logged-in user's store changed, the window closes with
// 0x7E9 / 101 at once, so that the program reloads it before it saves again.
class RestoreWindow : public ToolWindow {
  Q_OBJECT
 public:
  // loggedInId empty: nobody is logged in (no import).
  RestoreWindow(platform::WindowHandle owner, crypto::SecureBytes programKey, std::string loggedInId);
  ~RestoreWindow() override;

 private:
  void readBackup();
  void restore();
  void importSites();
  void finishWithReload(const QString& notice);

  crypto::SecureBytes programKey_;
  std::string loggedInId_;
  std::optional<BackupContents> backup_;
  bool replacing_ = false;  // a user with the backup's ID exists

  QFormLayout* restoreForm_;
  FileField* backupFile_;
  QLabel* backupInfo_;
  QLineEdit* backupPassword_;
  QLabel* replaceNotice_;
  QCheckBox* replace_;
  QLabel* currentLabel_;
  QLineEdit* currentPassword_;
  QPushButton* restoreButton_;
  QLabel* restoreMessage_;
  FileField* csvFile_;
  QLineEdit* importPassword_;
  QLabel* importMessage_;
};

}  // namespace account::ui
