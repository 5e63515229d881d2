#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <memory>
#include <string>

#include "lockmere/tools/addon/BrowserAddon.h"
#include "lockmere/web/AutoLogin.h"
#include "lockmere/web/AutoLoginHost.h"
#include "lockmere/web/BrowserSideHost.h"
#include "lockmere/web/ProgramBrowserLauncher.h"
#include "lockmere/web/RegistrationHost.h"
#include "lockmere/web/SiteLoginWindows.h"
#include "lockmere/web/SiteRegistration.h"
#include "lockmere/web/cdp/Browser.h"
#include "platform/StatusBlock.h"
#include "platform/bus/Message.h"

class QAction;

namespace web {

// Where the browser side finds its browser and tells the add-on's stand-in
// where the main window is. The defaults are the program's.
struct BrowserSideOptions {
  cdp::LaunchOptions launch = cdp::LaunchOptions::fromEnvironment();
  std::string extensionDir = addon::BrowserAddon::defaultExtensionDir();
  std::string statusBlockName = platform::StatusBlock::defaultName();
};

// The web address `lockmere URL` opens: http or https with a host; a host name
// without a scheme is taken as http. Empty for anything else (javascript:,
// data:, file: ...).
QString WebAddressToOpen(const QString& address);

// The browser side of the main window: the program's browser (started on first
// need), the add-on that follows it, the automatic login, the registration of
// sites, the site tree's way into the browser, and the confirmation and
// fingerprint login windows of sites. The main window owns one, routes the
// browser messages to handleMessage and tells it about logins and logouts.
//
//   web::BrowserSide browserSide_{*this};              // *this: web::BrowserSideHost
//   browserSide_.installTreeHooks();                   // once the site tree exists
//   if (browserSide_.handleMessage(m)) return 0;       // 0x4FA 0x4FD 0x503 0x7EA 0x7FC 0x7FE
class BrowserSide : public QObject, private AutoLoginHost, private RegistrationHost {
  Q_OBJECT

 public:
  explicit BrowserSide(BrowserSideHost& host, BrowserSideOptions options = {}, QObject* parent = nullptr);
  ~BrowserSide() override;

  // Handles 0x4FA, 0x4FD, 0x503, 0x7EA, 0x7FC and 0x7FE; false for any other
  // message. A failing browser never gets past here.
  bool handleMessage(const platform::Message& message);

  // `lockmere URL`: the address in a new window of the program's browser, in
  // front. Only web addresses (http, https; a bare host name is taken as
  // http): the browser fills passwords, so no other program may hand it a
  // page of its own making. False, after a message box, when it cannot.
  bool openUrl(const QString& address);

  // After the post-login set-up: the addresses of the last login and register
  // requests start empty.
  void loggedIn();
  // At logout, before the lists are freed: the site form closes, the new-site
  // notices go at once (their records go with the lists), the confirmation and
  // fingerprint login windows of sites are freed, and no two-step login of the
  // old session goes on.
  void loggedOut();
  // After the automatic logout (0x7F2 and loggedOut()): with ALIEClose set,
  // every window of the program's browser closes (asked again, up to a few
  // seconds, for a window that let the request pass).
  void idleLogout();

  // The site tree's commands: opening pages (the launcher), the site form for
  // its modify command, the protected login.
  void installTreeHooks();
  BrowserLauncher& launcher() { return launcher_; }
  // The tray entry "새 사이트 알림 메세지 표시": toggles AlarmNewSite and its tick
  // mark and stores it; false when it could not be stored.
  bool TrayMenu_AlarmNewSiteClick(QAction* entry);

  cdp::Browser& browser() { return browser_; }
  SiteRegistration& registration() { return registration_; }
  SiteLoginWindows& loginWindows() { return windows_; }
  // The new-site notice is showing.
  bool newSiteNoticePending() const override { return noticePending_; }

  // Texts of the box openUrl shows.
  static constexpr const char* kNotAWebAddressKo = "웹 주소만 열 수 있습니다: ";
  static constexpr const char* kNotAWebAddressJa = "Webアドレスのみ開くことができます: ";
  static constexpr const char* kBrowserFailedKo = "브라우저를 열 수 없습니다.";
  static constexpr const char* kBrowserFailedJa = "ブラウザを開くことができません。";

 private:
  static constexpr int kCloseRounds = 5;
  static constexpr std::chrono::milliseconds kCloseWait{1000};

  void dropBrowserForms(platform::WindowHandle browserWindow) override;
  void dropForms(platform::WindowHandle browserWindow);
  void closeBrowserNotices();

  // AutoLoginHost and RegistrationHost over the main window. (loggedIn() const
  // is the hosts' question; the public loggedIn() is the main window's hook.)
  bool loggedIn() const override { return host_.loggedIn(); }
  store::TRegSiteList& registeredSites() override { return host_.registeredSites(); }
  store::TRegSiteList& detectedSites() override { return host_.detectedSites(); }
  TExplorerFrame& explorer() override { return host_.explorer(); }
  bool saveStore() override { return host_.saveStore(); }
  std::string userId() const override;
  bool useDefaultLoginType() const override { return host_.settings().UseDefaultLoginType; }
  int defaultLoginType() const override { return host_.settings().DefaultLoginType; }
  bool lockPassword() const override { return host_.settings().LockPassword; }
  bool alarmNewSite() const override { return host_.settings().AlarmNewSite; }
  void setAlarmNewSite(bool on) override;
  std::string lastRegisterAddress() const override { return lastRegisterAddress_; }
  void setLastRegisterAddress(const std::string& address) override { lastRegisterAddress_ = address; }
  void setNewSiteNoticePending(bool pending) override { noticePending_ = pending; }
  platform::WindowHandle mainWindowHandle() const override { return host_.mainWindowHandle(); }
  widgets::TMSNPopUp& popup() override { return host_.popup(); }
  QWidget* mainWindow() override { return host_.mainWindow(); }
  void showMessage(const QString& text) override { host_.showMessage(text); }
  int autoLoginRetryTime() const override { return host_.settings().AutoLoginRetryTime; }
  std::string lastLoginAddress() const override { return lastLoginAddress_; }
  void setLastLoginAddress(const std::string& address) override { lastLoginAddress_ = address; }
  void freeConfirmLogin() override { windows_.freeConfirm(); }
  void openConfirmLogin(const PendingLogin& login) override { windows_.openConfirm(login); }
  void freeFingerprintLogin() override { windows_.freeFingerprint(); }
  void openFingerprintLogin(const PendingLogin& login) override { windows_.openFingerprint(login); }
  bool fingerprintLoginOpen() const override { return windows_.fingerprintOpen(); }
  bool raiseConfirmLogin() override { return windows_.raiseConfirm(); }
  bool registrationFormOpen() const override { return registration_.isFormOpen(); }
  int offerNewSite(const BrowserRef& browser, platform::WindowHandle browserWindow) override;

  BrowserSideHost& host_;
  cdp::Browser browser_;
  addon::BrowserAddon addon_;  // before the browser starts: it loads the extension
  AutoLogin autoLogin_;
  SiteRegistration registration_;
  ProgramBrowserLauncher launcher_;
  SiteLoginWindows windows_;
  std::string lastLoginAddress_;
  std::string lastRegisterAddress_;
  bool noticePending_ = false;
};

}  // namespace web
