#include <QAction>
#include <QPointer>

#include "lockmere/shell/AboutForm.h"
#include "lockmere/shell/ConfigForm.h"
#include "lockmere/shell/Jaribium.h"
#include "lockmere/shell/MainForm.h"
#include "lockmere/store/RegistryLayout.h"
#include "lockmere/store/UserStore.h"
#include "lockmere/users/CLoginForm.h"
#include "lockmere/users/ModalResult.h"
#include "lockmere/users/Placement.h"
#include "lockmere/users/UserDelForm.h"
#include "lockmere/web/BrowserSide.h"
#include "lockmere/web/ExplorerFrame.h"
#include "lockmere/web/SiteAddresses.h"
#include "platform/bus/MessageBus.h"

namespace shell {

namespace {
constexpr int kToolTopBelowMainWindow = 120;
constexpr int kPasswordChangeHalfWidth = 172;
constexpr int kPasswordGeneratorHalfWidth = 182;
}  // namespace

void TMainForm::disableForTool() { setEnabled(false); }

void TMainForm::startNewUserTool() {
  if (tools_.openNewUser(handle(), programKey_)) disableForTool();
}

void TMainForm::MainMenuAddSiteClick() { platform::MessageBus::post(handle(), platform::msg::kAddSite, -1, 0); }

void TMainForm::MainMenuRestoreClick() {
  if (tools_.openRestore(handle(), programKey_, loggedIn_ ? userId_ : std::string())) disableForTool();
}

void TMainForm::MainMenuBackupClick() {
  if (!loggedIn_) return;
  if (tools_.openBackup(handle(), programKey_, userId_)) disableForTool();
}

bool TMainForm::confirmIdentity() {
  QPointer<users::TCLoginForm> confirm = new users::TCLoginForm(*this, this);
  users::placeOver(*confirm, frameGeometry(), users::TCLoginForm::kTopBelowMainWindow);
  const int result = confirm->exec();
  return result == users::mrOK && loggedIn_;
}

void TMainForm::MainMenuDeleteIDClick() {
  if (!loggedIn_) return;
  QPointer<users::TUserDelForm> form = new users::TUserDelForm(*this, this);
  users::placeOver(*form, frameGeometry(), users::TUserDelForm::kTopBelowMainWindow);
  if (form->exec() == users::mrOK && loggedIn_) {
    // The user's key and file are gone: nothing is left to save into.
    user_.reset();
    logOut();
  }
}

void TMainForm::MenuModifyPWClick() {
  if (!loggedIn_ || !confirmIdentity()) return;
  const QRect frame = frameGeometry();
  if (tools_.openPasswordChange(handle(), programKey_, dataKey_, userId_, frame.top() + kToolTopBelowMainWindow,
                                frame.left() + frame.width() / 2 - kPasswordChangeHalfWidth)) {
    disableForTool();
  }
}

void TMainForm::MenuModifyFPClick() {
  if (!loggedIn_ || !confirmIdentity()) return;
  if (tools_.openFingerprintChange(handle(), programKey_, dataKey_, userId_)) disableForTool();
}

void TMainForm::MenuMakePasswordClick() {
  if (!loggedIn_) return;
  const QRect frame = frameGeometry();
  tools_.openPasswordGenerator(handle(), frame.left() + frame.width() / 2 - kPasswordGeneratorHalfWidth,
                               frame.top() + kToolTopBelowMainWindow);
}

void TMainForm::MenuConfigClick() {
  if (!loggedIn_) return;
  if (configForm_) {
    configForm_->raise();
    configForm_->activateWindow();
    return;
  }
  if (!confirmIdentity()) return;
  auto* form = new TConfigForm(*this);  // its own taskbar button; frees itself when closed
  configForm_ = form;
  form->show();
}

void TMainForm::MNAboutClick() {
  TAboutLMForm about(this);
  about.adjustSize();
  const QRect frame = frameGeometry();
  about.move(frame.left() + (frame.width() - about.frameGeometry().width()) / 2,
             frame.top() + TAboutLMForm::kTopBelowMainWindow);
  about.exec();
}

// No update library exists on this platform; without it the design's update
// check does nothing, both from the menu and at start-up.
void TMainForm::MNUpdateClick() {}

void TMainForm::H2Click() {
  try {
    explorer_->OpenInNewBrowser(QString::fromLatin1(web::kProductPageUrl));
  } catch (const std::exception& e) {
    qWarning("Lockmere: the product page did not open: %s", e.what());
  }
}

void TMainForm::TrayMenu_AlarmNewSiteClick() {
  if (!loggedIn_) return;
  browserSide_->TrayMenu_AlarmNewSiteClick(TrayMenu_AlarmNewSite);
}

void TMainForm::setStatusAutoGetUrl(bool on) { statusBlock_.setAutoGetUrl(loggedIn_ && on); }

void TMainForm::setAlarmNewSiteChecked(bool checked) { TrayMenu_AlarmNewSite->setChecked(checked); }

void TMainForm::restartIdleWatch(int minutes) {
  if (loggedIn_) idleWatch_.start(minutes);
}

void TMainForm::stopIdleWatch() { idleWatch_.stop(); }

bool TMainForm::idleSourceAvailable() const { return TJaribium::isIdleSourceAvailable(); }

}  // namespace shell
