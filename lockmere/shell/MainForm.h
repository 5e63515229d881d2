#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <string>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/shell/AccountToolCalls.h"
#include "lockmere/shell/ConfigHost.h"
#include "lockmere/shell/IdleWatch.h"
#include "lockmere/store/TemplateRecords.h"
#include "lockmere/store/UserSettings.h"
#include "lockmere/users/SessionHost.h"
#include "lockmere/web/BrowserSideHost.h"
#include "platform/Registry.h"
#include "platform/StatusBlock.h"
#include "platform/bus/Message.h"
#include "platform/bus/MessageBridge.h"
#include "platform/bus/MessageReceiver.h"

class QAction;
class QMenu;
class QToolBar;

namespace store {
class UserStore;
}
namespace web {
class BrowserSide;
class TADFrame;
class TExplorerFrame;
}  // namespace web
namespace widgets {
class TMSNPopUp;
class TReqLoginFrame;
class TTrayIcon;
}  // namespace widgets

namespace shell {

// The program's main window: starts the program, keeps the logged-in state and
// the user's session (data key, lists, settings), hosts the site tree, lives in
// the tray when hidden, runs the menu commands and receives the window messages
// of the other windows, the threads, the account tools and other programs.
class TMainForm : public QMainWindow, public users::SessionHost, public ConfigHost, public web::BrowserSideHost {
  Q_OBJECT

 public:
  static constexpr int kMinWidth = 308;
  static constexpr int kMinHeight = 370;
  static constexpr const char* kTitle = "Lockmere";
  static constexpr const char* kAlarmNewSiteCaption = "새 사이트 알림 메세지 표시";

  // arguments: the program's command line without the program name (the
  // switches Minimize and login).
  explicit TMainForm(const QStringList& arguments = {}, QWidget* parent = nullptr);
  ~TMainForm() override;

  // users::SessionHost and ConfigHost
  crypto::SecureBytes& dataKey() override { return dataKey_; }
  const crypto::SecureBytes& dataKey() const override { return dataKey_; }
  const crypto::SecureBytes& programKey() const override { return programKey_; }
  std::string currentUserId() const override { return userId_; }
  void setCurrentUserId(const std::string& userId) override { userId_ = userId; }
  store::TemplateRecords& userRecords() override { return records_; }
  void startNewUserTool() override;
  store::UserSettings& settings() override { return settings_; }
  void setStayOnTop(bool onTop) override;
  void setStatusAutoGetUrl(bool on) override;
  void setAlarmNewSiteChecked(bool checked) override;
  void restartIdleWatch(int minutes) override;
  void stopIdleWatch() override;
  bool idleSourceAvailable() const override;

  // Shows the window, or with the switch Minimize leaves it in the tray.
  void showAtStart();

  // Logs in with a data key already proven (the automatic login): the user's
  // records from the data file, then the post-login set-up. False when a user
  // is logged in already.
  bool logInWith(const std::string& userId, crypto::SecureBytes dataKey);

  // The window's handle on the message bus (the status block holds it).
  platform::WindowHandle handle() const { return receiver_.handle(); }
  bool isLoggedIn() const { return loggedIn_; }
  bool isHiddenOrClosing() const { return hiddenOrClosing_; }
  bool isNewUserPending() const { return newUserPending_; }
  // The logged-in user's session; null while logged out.
  store::UserStore* session() const { return user_.get(); }
  web::TExplorerFrame& explorer() override { return *explorer_; }
  // The loaded tool libraries.
  const AccountToolCalls& toolCalls() const { return tools_; }
  // The message bridge other programs reach this window through; false with
  // bridgeError() when another program listens there.
  bool listenForOtherPrograms();
  QString bridgeError() const { return bridge_.errorString(); }

  // The window's place into the registry, then the store in the tree's order;
  // a failure is reported to the user here. False when nothing was saved.
  bool saveStore() override;

  // Every window message of the main window is dispatched here.
  std::int64_t handleMessage(const platform::Message& message);

  // The menus, toolbar and tray menu (tests and pictures reach them by name too).
  QMenu* MenuFile = nullptr;
  QMenu* MenuView = nullptr;
  QMenu* MenuManage = nullptr;
  QMenu* MenuHelp = nullptr;
  QMenu* TrayPopupMenu = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QAction* MainMenuAddSite = nullptr;
  QAction* MainMenuAddFolder = nullptr;
  QAction* MainMenuModify = nullptr;
  QAction* MainMenuDelete = nullptr;
  QAction* MainMenuRestore = nullptr;
  QAction* MainMenuBackup = nullptr;
  QAction* MNLogin = nullptr;
  QAction* MainMenuDeleteID = nullptr;
  QAction* MNExit = nullptr;
  QAction* MenuOpenList = nullptr;
  QAction* MenuCloseList = nullptr;
  QAction* MenuModifyPW = nullptr;
  QAction* MenuModifyFP = nullptr;
  QAction* MenuMakePassword = nullptr;
  QAction* MenuConfig = nullptr;
  QAction* MNAbout = nullptr;
  QAction* MNUpdate = nullptr;
  QAction* H2 = nullptr;
  QAction* OpenLockmereMain = nullptr;
  QAction* I1 = nullptr;
  QAction* TrayMenuPWGen = nullptr;
  QAction* TrayMenu_AlarmNewSite = nullptr;
  QAction* TrayMenu_Close = nullptr;
  QAction* TBAdd = nullptr;
  QAction* TBModify = nullptr;
  QAction* TBDelete = nullptr;
  QAction* TBLogout = nullptr;
  widgets::TReqLoginFrame* ReqLoginFrame1 = nullptr;
  widgets::TTrayIcon* trayIcon() const { return tray_; }
  widgets::TMSNPopUp& popup() override { return *popup_; }

  // web::BrowserSideHost (besides explorer, saveStore, popup, settings and
  // setAlarmNewSiteChecked above)
  bool loggedIn() const override { return loggedIn_; }
  users::SessionHost& sessionHost() override { return *this; }
  store::TRegSiteList& registeredSites() override;
  store::TRegSiteList& detectedSites() override;
  QWidget* mainWindow() override { return this; }
  platform::WindowHandle mainWindowHandle() const override { return handle(); }
  void showMessage(const QString& text) override;

  // The program's browser, the automatic login and the registration of sites.
  web::BrowserSide& browserSide() { return *browserSide_; }
  // `lockmere URL`: the address in a new window of the program's browser.
  void openAddress(const QString& address);

 public slots:
  void ReqLoginFrame1BtnLoginClick();
  void MNLoginClick();
  void MNExitClick();
  void TrayMenu_CloseClick();
  void OpenLockmereMainClick();
  void hideToTray();
  void logOut();
  void MainMenuAddSiteClick();
  void MainMenuRestoreClick();
  void MainMenuBackupClick();
  void MainMenuDeleteIDClick();
  void MenuModifyPWClick();
  void MenuModifyFPClick();
  void MenuMakePasswordClick();
  void MenuConfigClick();
  void MNAboutClick();
  void MNUpdateClick();
  void H2Click();
  void TrayMenu_AlarmNewSiteClick();

 signals:
  // The window has closed for good: the program ends.
  void programEnded();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Creation and first show (MainForm.cpp).
  void buildWindow();
  void FormShow();
  void FormClose();
  void startUp();
  void applyLastWindowPosition();

  // Menus, captions and enabling (MainFormMenus.cpp).
  void buildMenus();
  void buildTrayMenu();
  void buildToolBar();
  void loadToolBarIcons();
  void setCaptions();
  void updateMenuEnabling();
  void setLoginCaptions();

  // Login, logout and the session (MainFormSession.cpp).
  // The automatic login from "ALData"; true when a user is logged in by it.
  bool tryAutomaticLogin();
  void postLoginSetUp();
  void loadUserStore();
  void showSaveError(const QString& text);
  void applyIcons(bool loggedIn);
  void freeOtherWindows();

  // Hiding, showing, topmost (MainFormWindow.cpp).
  void letPendingMessagesRun();
  void applyStayOnTop();

  // Messages (MainFormMessages.cpp).
  void toolFinished(std::int64_t what);
  void idleLogout();
  // 0x810: the address a second start left in the registry.
  void openHandedOverAddress();
  // Whether the user confirms who they are (the confirmation window, modal).
  bool confirmIdentity();
  void disableForTool();

  platform::MessageReceiver receiver_;
  platform::MessageBridge bridge_;
  platform::Registry registry_;
  platform::StatusBlock statusBlock_;
  const crypto::SecureBytes programKey_;
  crypto::SecureBytes dataKey_;
  std::string userId_;
  store::TemplateRecords records_;
  store::UserSettings settings_;
  std::unique_ptr<store::UserStore> user_;
  AccountToolCalls tools_;
  IdleWatch idleWatch_;
  std::unique_ptr<widgets::TMSNPopUp> popup_;
  widgets::TTrayIcon* tray_ = nullptr;
  web::TExplorerFrame* explorer_ = nullptr;
  web::TADFrame* adFrame_ = nullptr;
  QWidget* loggedInArea_ = nullptr;
  QPointer<QWidget> configForm_;

  const QStringList arguments_;
  bool loggedIn_ = false;
  bool hiddenOrClosing_ = false;
  bool newUserPending_ = false;
  bool startMinimized_ = false;
  bool shownOnce_ = false;
  bool closed_ = false;
  int languageId_ = 0;
  store::TRegSiteList noSites_;  // what the browser side sees while nobody is logged in
  // Last: it goes first, while the tree, the popup and the session it uses are still there.
  std::unique_ptr<web::BrowserSide> browserSide_;
};

}  // namespace shell
