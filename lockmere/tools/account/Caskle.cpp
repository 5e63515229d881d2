// libCaskle.so: backup and CSV export, restore and CSV import, the password
// generator.
#include <string>

#include "platform/bus/MessageBus.h"

#include "lockmere/tools/account/AccountTools.h"
#include "lockmere/tools/account/ui/BackupWindow.h"
#include "lockmere/tools/account/ui/PasswordGenWindow.h"
#include "lockmere/tools/account/ui/RestoreWindow.h"
#include "lockmere/tools/account/ui/ToolEntry.h"
#include "lockmere/tools/account/ui/ToolTexts.h"

int OpenBackupForm(std::uint32_t window, const unsigned char* token, const char* userId) {
  using namespace account::ui;
  if (!haveApplication()) return 0;
  auto programKey = acceptToken(window, token, text(Text::BackupTitle));
  if (!programKey) return 0;
  // Backups are made only while a user is logged in.
  if (!userId || !*userId) {
    showNotice(text(Text::BackupTitle), problemText(account::Failure(account::Problem::NoSuchUser)), true);
    platform::MessageBus::post(window, platform::msg::kToolFinished, 0);
    return 0;
  }
  (new BackupWindow(window, std::move(*programKey), userId))->showAt();
  return 1;
}

int OpenRestoreForm(std::uint32_t window, const unsigned char* token, const char* userId) {
  using namespace account::ui;
  if (!haveApplication()) return 0;
  auto programKey = acceptToken(window, token, text(Text::RestoreTitle));
  if (!programKey) return 0;
  (new RestoreWindow(window, std::move(*programKey), userId ? userId : ""))->showAt();
  return 1;
}

int OpenPasswordGenForm(std::uint32_t window, int x, int y) {
  using namespace account::ui;
  if (!haveApplication()) return 0;
  (new PasswordGenWindow(window))->showAt(x, y);
  return 1;
}
