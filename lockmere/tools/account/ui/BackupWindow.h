#pragma once

#include <string>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/tools/account/ui/ToolWindow.h"

class QLabel;
class QLineEdit;

namespace account::ui {

class FileField;

// Caskle's backup window: the logged-in user's account into one backup file,
// and the user's sites out as an (unencrypted) CSV file, which asks for the
// password because the sites must be decrypted for it.
class BackupWindow : public ToolWindow {
  Q_OBJECT
 public:
  BackupWindow(platform::WindowHandle owner, crypto::SecureBytes programKey, std::string userId);
  ~BackupWindow() override;

 private:
  void backup();
  void exportSites();

  crypto::SecureBytes programKey_;
  std::string userId_;
  FileField* backupFile_;
  QLabel* backupMessage_;
  FileField* csvFile_;
  QLineEdit* password_;
  QLabel* exportMessage_;
};

}  // namespace account::ui
