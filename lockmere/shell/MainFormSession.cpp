#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QToolBar>

#include "lockmere/shell/MainForm.h"
#include "lockmere/store/AutoLoginBlock.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/store/RegistryLayout.h"
#include "lockmere/store/UserDirectory.h"
#include "lockmere/store/UserStore.h"
#include "lockmere/texts/StringTable.h"
#include "lockmere/users/CLoginForm.h"
#include "lockmere/users/FPLoginForm.h"
#include "lockmere/users/LoginForm.h"
#include "lockmere/users/MessageBox.h"
#include "lockmere/users/ModalResult.h"
#include "lockmere/web/BrowserSide.h"
#include "lockmere/web/ExplorerFrame.h"
#include "lockmere/widgets/MSNPopUp.h"
#include "lockmere/widgets/ReqLoginFrame.h"
#include "lockmere/widgets/ResourceLibrary.h"
#include "lockmere/widgets/TrayIcon.h"
#include "platform/RegistryTransaction.h"

namespace shell {

namespace {

constexpr const char* kErrorCaption = "Lockmere - 오류";

void wipeKey(crypto::SecureBytes& key) {
  crypto::wipe(key.data(), key.size());
  key.clear();
  key.shrink_to_fit();
}

}  // namespace

void TMainForm::ReqLoginFrame1BtnLoginClick() {
  if (loggedIn_) return;
  if (store::UserDirectory(registry_, programKey_).userIds().empty()) {
    newUserPending_ = true;
    startNewUserTool();
    return;
  }
  if (users::TLoginForm::current()) return;  // already asking
  ReqLoginFrame1->BtnLogin->setEnabled(false);
  dataKey_.assign(56, 0);
  users::TLoginForm login(*this, this);
  login.setWindowIcon(windowIcon());
  const int result = login.exec();
  if (closed_) {  // the program ended (a signal, the session's end) while the window was open
    wipeKey(dataKey_);
    return;
  }
  if (result == users::mrOK) {
    postLoginSetUp();
  } else {
    wipeKey(dataKey_);
  }
  ReqLoginFrame1->BtnLogin->setEnabled(true);
  if (tools_.toolLoaded()) setEnabled(false);  // the new-user tool is still open
}

void TMainForm::MNLoginClick() {
  if (loggedIn_)
    logOut();
  else
    ReqLoginFrame1BtnLoginClick();
}

bool TMainForm::tryAutomaticLogin() {
  auto main = registry_.openKey(std::string(store::reg::kMainKey));
  if (!main) return false;
  if (!main.value().readBool(std::string(store::reg::kAutoLogin)).valueOr(false)) return false;
  auto block = main.value().readBinary(std::string(store::reg::kALData));
  if (!block) return false;
  auto login = store::autologin::read(block.value().data(), block.value().size(), programKey_);
  crypto::wipe(block.value().data(), block.value().size());
  if (!login) return false;

  store::UserDirectory users(registry_, programKey_);
  if (!users.exists(login->userId)) {
    // The user is gone: the block can never work again.
    main.value().deleteValue(std::string(store::reg::kALData));
    main.value().writeBool(std::string(store::reg::kAutoLogin), false);
    return false;
  }
  // A key that does not open this user's file (an account restored since)
  // would show an empty tree that can never be saved.
  const std::string dataFile = users.dataFile(login->userId);
  auto header = store::DataFile(dataFile).readHeader();
  if (!header || !store::keys::verifyDataKey(login->userId, login->dataKey, *header)) return false;

  return logInWith(login->userId, std::move(login->dataKey));
}

bool TMainForm::logInWith(const std::string& userId, crypto::SecureBytes dataKey) {
  if (loggedIn_) return false;
  const std::string dataFile = store::UserDirectory(registry_, programKey_).dataFile(userId);
  auto records = store::DataFile(dataFile).loadTemplateRecords(programKey_);
  records_ = records ? std::move(*records) : store::TemplateRecords();
  userId_ = userId;
  dataKey_ = std::move(dataKey);
  postLoginSetUp();
  return true;
}

void TMainForm::postLoginSetUp() {
  applyIcons(true);
  // Children of a hidden or minimised window stay unseen until it is shown.
  if (shownOnce_) loadToolBarIcons();  // else the first show brings them
  ToolBar1->show();
  loggedInArea_->show();
  ReqLoginFrame1->hide();
  loggedIn_ = true;  // before the captions, which follow the state
  setLoginCaptions();

  loadUserStore();
  updateMenuEnabling();
  statusBlock_.setLoggedIn(true);
  statusBlock_.setAutoGetUrl(settings_.AutoGetIEURL);
  applyStayOnTop();
  if (settings_.AutoLogout) idleWatch_.start(settings_.AutoLogoutTime);
  TrayMenu_AlarmNewSite->setEnabled(true);
  TrayMenu_AlarmNewSite->setChecked(settings_.AlarmNewSite);
  browserSide_->loggedIn();
}

void TMainForm::loadUserStore() {
  const store::LoginValues values = store::readSettingsAtLogin(registry_, userId_, settings_);
  if (values.width && values.height) {
    const QSize size(*values.width, *values.height);
    if (size.width() >= kMinWidth && size.height() >= kMinHeight) resize(size);
  }
  user_ = std::make_unique<store::UserStore>(userId_, values.dataFile, dataKey_);
  if (!user_->load()) {
    QMessageBox::warning(this, kErrorCaption, QString::fromStdString(user_->errorString()));
  }
  explorer_->loadTree(user_->cates(), user_->sites());
}

bool TMainForm::saveStore() {
  if (!user_) return false;
  {
    // The window's place, as the user left it (errors here are not the save's).
    platform::RegistryTransaction tx(registry_);
    auto userKey = registry_.openKey(store::reg::userKeyPath(userId_));
    if (userKey) {
      userKey.value().writeInteger(std::string(store::reg::kWidth), width());
      userKey.value().writeInteger(std::string(store::reg::kHeight), height());
      auto main = registry_.createKey(std::string(store::reg::kMainKey));
      if (main) {
        main.value().writeString(std::string(store::reg::kLastLoginID), userId_);
        main.value().writeInteger(std::string(store::reg::kLastWindowLeft), x());
        main.value().writeInteger(std::string(store::reg::kLastWindowTop), y());
      }
    }
    tx.commit();
  }
  if (user_->save(explorer_->treeOrder())) return true;
  showSaveError(QString::fromStdString(user_->errorString()));
  return false;
}

void TMainForm::showSaveError(const QString& text) {
  if (text.isEmpty() || closed_ || hiddenOrClosing_) {
    qWarning("Lockmere: the store was not saved: %s", qUtf8Printable(text));
    return;
  }
  QMessageBox::warning(this, kErrorCaption, text);
}

void TMainForm::logOut() {
  if (!loggedIn_) return;
  loggedIn_ = false;
  popup_->ClosePopUps();
  freeOtherWindows();
  statusBlock_.setLoggedIn(false);
  statusBlock_.setAutoGetUrl(false);
  updateMenuEnabling();
  saveStore();
  // Its windows, notices and site form hold records of the lists freed below.
  browserSide_->loggedOut();

  wipeKey(dataKey_);
  userId_.clear();
  records_ = store::TemplateRecords();
  explorer_->clearTree();

  setLoginCaptions();
  applyIcons(false);
  ToolBar1->hide();
  loggedInArea_->hide();
  ReqLoginFrame1->show();
  TrayMenu_AlarmNewSite->setEnabled(false);
  TrayMenu_AlarmNewSite->setChecked(false);

  tools_.freeAll();
  setEnabled(true);
  if (configForm_) configForm_->close();
  if (user_) user_->wipe();
  user_.reset();
  idleWatch_.stop();
}

store::TRegSiteList& TMainForm::registeredSites() { return user_ ? user_->sites() : noSites_; }

store::TRegSiteList& TMainForm::detectedSites() { return user_ ? user_->detectedSites() : noSites_; }

void TMainForm::showMessage(const QString& text) { users::showMessage(this, text); }

void TMainForm::freeOtherWindows() {
  if (auto* fp = users::TFPLoginForm::current()) delete fp;
  if (auto* confirm = users::TCLoginForm::current()) {
    delete confirm;
    setEnabled(true);
  }
}

void TMainForm::applyIcons(bool loggedIn) {
  widgets::ResourceLibrary resources;
  if (!resources.load()) return;
  const QIcon windowIcon = resources.icon(loggedIn ? "TRAYLOGIN" : "TRAYLOGOUT");
  setWindowIcon(windowIcon);
  QApplication::setWindowIcon(resources.icon(loggedIn ? "MAINICON" : "TRAYLOGOUT"));
  if (tray_) tray_->setIcon(windowIcon);
}

}  // namespace shell
