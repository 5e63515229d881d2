#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "lockmere/web/AutoLogin.h"
#include "lockmere/web/ExplorerFrame.h"
#include "lockmere/web/RegistrationHost.h"
#include "lockmere/web/SiteRegistration.h"
#include "lockmere/widgets/MSNPopUp.h"
#include "lockmere/widgets/PopupScreen.h"
#include "lockmere/widgets/ResourceLibrary.h"
#include "lockmere/widgets/Timers.h"
#include "platform/bus/MessageBus.h"
#include "platform/bus/MessageReceiver.h"
#include "tests/web_tree/TreeFixture.h"

// The main window as the registration and the automatic login see it: a plain
// implementation of both hosts over a real user's store, a real site tree, the
// program's popup (on a fixed screen, time stepped by hand) and a window on the
// message bus that handles the browser messages as the main window does.
namespace regtest {

class TestMainWindow : public QWidget, public web::RegistrationHost, public web::AutoLoginHost {
 public:
  explicit TestMainWindow(cdp::Browser& browser, web::BrowserLauncher* launcher = nullptr)
      : autoLogin(browser, *this), registration(browser, *this) {
    setObjectName(QStringLiteral("MainForm"));
    popup_.setEnvironment({screen, timers});
    widgets::ResourceLibrary resources;
    if (resources.load()) {
      popup_.IconBitmap = resources.bitmap(QStringLiteral("ICONLOCKMERE"));
      popup_.CloseIconBitmap = resources.bitmap(QStringLiteral("ICONCLOSE"));
    }
    explorer_ = new web::TExplorerFrame(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explorer_);
    explorer_->setBrowserLauncher(launcher);
    explorer_->setSaveStore([this](const std::vector<store::TreeEntry>& order) {
      ++saves;
      return session.store->save(order);
    });
    explorer_->loadTree(session.store->cates(), session.store->sites());
    registration.installTreeHooks();
    resize(320, 480);
  }
  ~TestMainWindow() override {
    registration.closeForm();
    popup_.ClosePopUps();
    explorer_->clearTree();  // before the session's lists go
  }

  // RegistrationHost and AutoLoginHost
  bool loggedIn() const override { return isLoggedIn; }
  store::TRegSiteList& registeredSites() override { return session.store->sites(); }
  store::TRegSiteList& detectedSites() override { return session.store->detectedSites(); }
  web::TExplorerFrame& explorer() override { return *explorer_; }
  bool saveStore() override {
    ++saves;
    if (beforeSave) beforeSave();
    return session.store->save(explorer_->treeOrder());
  }
  std::string userId() const override { return session.user.id; }
  bool useDefaultLoginType() const override { return useDefaultType; }
  int defaultLoginType() const override { return defaultType; }
  bool lockPassword() const override { return lockPasswordSetting; }
  bool alarmNewSite() const override { return alarmNewSiteSetting; }
  void setAlarmNewSite(bool on) override { alarmNewSiteSetting = on; }
  std::string lastRegisterAddress() const override { return lastRegister; }
  void setLastRegisterAddress(const std::string& address) override { lastRegister = address; }
  bool newSiteNoticePending() const override { return noticePending; }
  void setNewSiteNoticePending(bool pending) override { noticePending = pending; }
  platform::WindowHandle mainWindowHandle() const override { return receiver_.handle(); }
  widgets::TMSNPopUp& popup() override { return popup_; }
  QWidget* mainWindow() override { return this; }
  void showMessage(const QString& text) override { messages.push_back(text); }

  // AutoLoginHost only
  int autoLoginRetryTime() const override { return retryTime; }
  std::string lastLoginAddress() const override { return lastLogin; }
  void setLastLoginAddress(const std::string& address) override { lastLogin = address; }
  void freeConfirmLogin() override {}
  void openConfirmLogin(const web::PendingLogin&) override {}
  void freeFingerprintLogin() override {}
  void openFingerprintLogin(const web::PendingLogin&) override {}
  bool fingerprintLoginOpen() const override { return false; }
  bool raiseConfirmLogin() override { return false; }
  bool registrationFormOpen() const override { return registration.isFormOpen(); }
  void dropBrowserForms(platform::WindowHandle window) override { popup_.ClosePopUpOf(window); }
  int offerNewSite(const web::BrowserRef& browser, platform::WindowHandle window) override {
    int code = 0;
    registration.OfferNewSite(browser, window, code);
    offerCodes.push_back(code);
    return code;
  }

  // Messages this window received, in order.
  std::vector<platform::Message> received;
  std::size_t count(std::uint32_t message) const {
    std::size_t n = 0;
    for (const auto& m : received) n += m.message == message;
    return n;
  }

  bool isLoggedIn = true;
  int retryTime = 10;
  bool useDefaultType = false;
  int defaultType = 0;
  bool lockPasswordSetting = false;
  bool alarmNewSiteSetting = true;
  bool noticePending = false;
  std::string lastRegister;
  std::string lastLogin;
  std::vector<QString> messages;
  std::vector<int> offerCodes;
  int saves = 0;
  std::function<void()> beforeSave;  // runs before each save of the site form

  treetest::Session session;
  std::shared_ptr<widgets::FixedScreen> screen =
      std::make_shared<widgets::FixedScreen>(QRect(0, 0, 1024, 700), widgets::TaskbarEdge::Bottom);
  std::shared_ptr<widgets::ManualTimerSource> timers = std::make_shared<widgets::ManualTimerSource>();
  web::AutoLogin autoLogin;
  web::SiteRegistration registration;

 private:
  std::int64_t dispatch(const platform::Message& m) {
    received.push_back(m);
    switch (m.message) {
      case platform::msg::kLoginOnBrowser:
        autoLogin.LoginOnBrowserWindow(static_cast<platform::WindowHandle>(m.wParam));
        break;
      case platform::msg::kLoginRequest:
        autoLogin.LoginRequest();
        break;
      case platform::msg::kRegisterRequest:
        registration.RegisterRequest();
        break;
      case platform::msg::kAddSite:
        registration.AddSiteMessage(m.wParam, m.lParam);
        break;
      case platform::msg::kBrowserGone:
      case platform::msg::kDropBrowserForms:
        popup_.ClosePopUpOf(static_cast<platform::WindowHandle>(m.wParam));
        break;
      default:
        break;
    }
    return 0;
  }

  widgets::TMSNPopUp popup_{this};
  web::TExplorerFrame* explorer_ = nullptr;
  platform::MessageReceiver receiver_{[this](const platform::Message& m) { return dispatch(m); }};
};

// Typing as a keyboard would: every character a key press with its text (also
// Hangul, which QTest::keyClicks does not type).
inline void typeText(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() < 0x80)
      QTest::keyClick(widget, c.toLatin1());
    else
      QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

// Waits (without blocking) for the next modal message box, records its title and
// text and presses OK.
struct Shown {
  QString title;
  QString text;
};
inline void answerNextMessage(Shown* shown, int tries = 250) {
  QTimer::singleShot(20, [shown, tries] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      *shown = {box->windowTitle(), box->text()};
      box->button(QMessageBox::Ok)->click();
      return;
    }
    if (tries > 0) answerNextMessage(shown, tries - 1);
  });
}

}  // namespace regtest
