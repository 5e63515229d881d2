#include <QApplication>

#include "lockmere/shell/MainForm.h"
#include "lockmere/store/UserStore.h"
#include "lockmere/texts/StringTable.h"
#include "lockmere/users/MessageBox.h"
#include "lockmere/web/ExplorerFrame.h"

namespace shell {

// Every message of the main window, in one place: the browser side's messages
// (0x4FA, 0x4FD, 0x503, 0x7FC, 0x7FE) join this switch when it arrives.
std::int64_t TMainForm::handleMessage(const platform::Message& message) {
  namespace msg = platform::msg;
  switch (message.message) {
    case msg::kToolFinished:
      toolFinished(message.wParam);
      return 0;
    case msg::kAddSite:
      openSiteRegistration(static_cast<int>(message.wParam), static_cast<platform::WindowHandle>(message.lParam));
      return 0;
    case msg::kPasswordGenClosed:
      tools_.freePasswordGenerator();
      return 0;
    case msg::kIdleLogout:
      idleLogout();
      return 0;
    case msg::kLoginButton:
      // Sent by another program, which waits for the answer: the modal login
      // window must not hold it.
      QMetaObject::invokeMethod(this, &TMainForm::ReqLoginFrame1BtnLoginClick, Qt::QueuedConnection);
      return 0;
    default:
      return 0;
  }
}

void TMainForm::toolFinished(std::int64_t what) {
  if (what == platform::msg::kToolFingerprintsChanged && loggedIn_ && user_) {
    user_->loadTemplateRecords(programKey_);
    records_ = user_->templateRecords();
    users::showMessage(this, texts::M(33));
  }
  if (tools_.toolLoaded()) {
    tools_.freeTool();
    setEnabled(true);
    if (isVisible() && !hiddenOrClosing_) {
      if (isMinimized()) showNormal();
      raise();
      activateWindow();
    }
  }
  if (what == platform::msg::kToolStoreRestored && loggedIn_ && user_) {
    explorer_->clearTree();
    store::readSettingsAtLogin(registry_, userId_, settings_);
    if (!user_->load()) showSaveError(QString::fromStdString(user_->errorString()));
    explorer_->loadTree(user_->cates(), user_->sites());
  }
}

void TMainForm::idleLogout() {
  // The watch goes on posting until the logout stops it.
  if (!loggedIn_) return;
  logOut();
}

void TMainForm::openSiteRegistration(int detectedSiteId, platform::WindowHandle browserWindow) {
  if (!loggedIn_) return;
  // The site registration window is the browser side's.
  (void)detectedSiteId;
  (void)browserWindow;
}

}  // namespace shell
