#include <QApplication>

#include <QTimer>
#include "lockmere/shell/AddressHandover.h"
#include "lockmere/shell/MainForm.h"
#include "lockmere/store/UserStore.h"
#include "lockmere/texts/StringTable.h"
#include "lockmere/users/MessageBox.h"
#include "lockmere/web/BrowserSide.h"
#include "lockmere/web/ExplorerFrame.h"

namespace shell {

// Every message of the main window, in one place: the browser side takes its
// own (0x4FA, 0x4FD, 0x503, 0x7EA, 0x7FC, 0x7FE) first.
std::int64_t TMainForm::handleMessage(const platform::Message& message) {
  namespace msg = platform::msg;
  if (browserSide_ && browserSide_->handleMessage(message)) return 0;
  switch (message.message) {
    case msg::kToolFinished:
      toolFinished(message.wParam);
      return 0;
    case msg::kOpenAddress:
      // Posted by a second start, which does not wait: the browser may take a
      // while to start, and a message box may follow.
      QMetaObject::invokeMethod(this, &TMainForm::openHandedOverAddress, Qt::QueuedConnection);
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
  browserSide_->idleLogout();
}

void TMainForm::openHandedOverAddress() {
  const QString address = takeHandedOverAddress();
  if (!address.isEmpty()) openAddress(address);
}

void TMainForm::openAddress(const QString& address) { browserSide_->openUrl(address); }

}  // namespace shell
