// The browser side as the main window owns it, against the real headless
// Chromium, the add-on's stand-in reporting the pages and the recording test
// server: each registered login type, the confirmation window of a site and
// what frees it, the new-site offer and the site form, logout, the automatic
// logout closing the browser, and `lockmere URL`.
#include <unistd.h>

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <chrono>

#include "lockmere/texts/Language.h"
#include "lockmere/users/CLoginForm.h"
#include "lockmere/web/AddSiteForm.h"
#include "lockmere/web/SiteMatch.h"
#include "lockmere/widgets/MSNPopUpForm.h"
#include "platform/Registry.h"
#include "platform/bus/MessageBus.h"
#include "tests/support/Pictures.h"
#include "tests/support/TestEnv.h"
#include "tests/users/UsersFixture.h"
#include "tests/web/support/TestHttpServer.h"
#include "tests/web/support/WebTestEnv.h"
#include "tests/web_side/SideTestHost.h"

namespace webtest {
void shutdown();
}

using namespace std::chrono_literals;
using webtest::server;

namespace {

QString picturesDir() { return testenv::picturesDir(LOCKMERE_PICTURES_DIR); }

void setRequestedAddress(const std::string& url) {
  platform::Registry registry(platform::Registry::CurrentUser);
  QVERIFY(registry.createKey("\\Software\\Veradynics\\Lockmere").value().writeString("LastAddSiteURL", url));
}

std::string loginPage(const std::string& action, const std::string& title) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
         "</title></head><body><form name=\"login\" action=\"/action/" + action +
         "\" method=\"post\"><input type=\"text\" name=\"userid\"><input type=\"password\" name=\"passwd\">"
         "<button>Log in</button></form></body></html>";
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s) {
  return webtest::processEventsUntil(condition, timeout);
}

void settle(std::chrono::milliseconds time = 500ms) {
  webtest::processEventsUntil([] { return false; }, time);
}

// The keyword of pages under this folder of the test server.
std::string keyword(const std::string& folder) {
  return "127.0.0.1:" + std::to_string(server().port()) + "/" + QString::fromStdString(folder).toUpper().toStdString();
}

}  // namespace

class BrowserSideTest : public QObject {
  Q_OBJECT

  std::unique_ptr<sidetest::SideTestHost> host_;
  std::unique_ptr<web::BrowserSide> side_;
  std::size_t seen_ = 0;

  web::BrowserSide& side() { return *side_; }
  sidetest::SideTestHost& host() { return *host_; }

  // The page opened as `lockmere URL` opens it; the add-on reports it once loaded.
  std::shared_ptr<cdp::PageTarget> open(const std::string& path, const std::string& html) {
    server().setPage(path, html);
    const auto before = side().browser().windows();
    if (!side().openUrl(QString::fromStdString(server().url(path)))) {
      qWarning() << "not opened:" << (host().messages.empty() ? QString() : host().messages.back());
      return nullptr;
    }
    std::shared_ptr<cdp::PageTarget> page;
    for (const auto& w : side().browser().windows())
      if (std::find(before.begin(), before.end(), w) == before.end()) page = w;
    if (!page || !waitFor([&] { return page->loadCount() > 0; })) {
      qWarning() << "no new window loaded" << path.c_str() << bool(page);
      return nullptr;
    }
    return page;
  }
  bool navigate(const std::shared_ptr<cdp::PageTarget>& page, const std::string& url) {
    const int before = page->loadCount();
    page->navigate(url);
    return waitFor([&] { return page->loadCount() > before; });
  }
  std::optional<webtest::Request> nextSubmission() {
    if (!waitFor([this] { return server().submissions().size() > seen_; })) return std::nullopt;
    return server().submissions()[seen_++];
  }
  void post(std::uint32_t message, std::int64_t wParam = 0, std::int64_t lParam = 0) {
    platform::MessageBus::post(host().mainWindowHandle(), message, wParam, lParam);
  }
  users::TCLoginForm* confirmWindow() { return side().loginWindows().confirmWindow(); }
  std::vector<widgets::TfrmMSNPopUp*> noticesOf(platform::WindowHandle window) {
    std::vector<widgets::TfrmMSNPopUp*> out;
    for (auto* p : host().popup().popups())
      if (p->properties().IEHandle == window) out.push_back(p);
    return out;
  }
  void closeAllWindows() {
    // A window that is just taking a new document may let one request pass.
    for (int round = 0; round < 5 && !side().browser().windows().empty(); ++round) {
      side().browser().closeAllWindows();
      waitFor([this] { return side().browser().windows().empty(); }, 1s);
    }
  }

 private slots:
  void initTestCase() {
    texts::setLanguage(texts::Language::Korean);
    host_ = std::make_unique<sidetest::SideTestHost>("/lockmere-side-test-" + std::to_string(::getpid()));
    side_ = std::make_unique<web::BrowserSide>(*host_, web::BrowserSideOptions{
                                                           cdp::LaunchOptions::fromEnvironment(),
                                                           addon::BrowserAddon::defaultExtensionDir(),
                                                           host_->block.name(),
                                                       });
    host_->side = side_.get();
    side_->installTreeHooks();
    host_->show();
  }
  void cleanupTestCase() {
    host_->side = nullptr;
    side_.reset();
    host_.reset();
    webtest::shutdown();
  }
  void init() {
    host().logIn();
    seen_ = server().submissions().size();
    host().received.clear();
    host().messages.clear();
  }
  void cleanup() {
    closeAllWindows();
    if (host().isLoggedIn) host().logOut();
    settle(100ms);
  }

  // Only web addresses open; nothing starts for anything else.
  void onlyWebAddressesAreOpened() {
    QCOMPARE(web::WebAddressToOpen("bank.example/login"), QString("http://bank.example/login"));
    QCOMPARE(web::WebAddressToOpen(" HTTPS://Bank.Example:8443/a b "), QString("https://bank.example:8443/a%20b"));
    QCOMPARE(web::WebAddressToOpen("localhost:8080/x"), QString("http://localhost:8080/x"));
    for (const char* refused : {"javascript:alert(document.cookie)", "data:text/html,<form>BANK.EXAMPLE</form>",
                                "file:///etc/passwd", "chrome://settings", "", "   ", "http://"})
      QVERIFY2(web::WebAddressToOpen(refused).isEmpty(), refused);

    QVERIFY(!side().openUrl("data:text/html,<input type=password>"));
    QCOMPARE(host().messages.size(), std::size_t(1));
    QVERIFY(host().messages[0].startsWith(QString::fromUtf8(web::BrowserSide::kNotAWebAddressKo)));
    QVERIFY(side().browser().windows().empty());

    // A browser that cannot start: a message box, no crash.
    cdp::LaunchOptions missing = cdp::LaunchOptions::fromEnvironment();
    missing.executable = "/nonexistent/chromium";
    web::BrowserSide broken(host(), {missing, addon::BrowserAddon::defaultExtensionDir(), host().block.name()});
    QVERIFY(!broken.openUrl(QString::fromStdString(server().url("/nowhere.html"))));
    QCOMPARE(host().messages.size(), std::size_t(2));
    QCOMPARE(host().messages[1], QString::fromUtf8(web::BrowserSide::kBrowserFailedKo));
  }

  // Type 1: the add-on reports the loaded page, the site's fields are filled
  // and the form submitted, with nobody asked.
  void anAutomaticSiteIsFilledAndSubmittedWhenItsPageLoads() {
    store::TRegSiteCollItem& site = host().addSite(keyword("auto"), store::kLoginAutomatic, "kim", "pw \"q'\\ 비밀");
    auto page = open("/auto/login.html", loginPage("auto", "Auto"));
    QVERIFY(page);
    auto sent = nextSubmission();
    QVERIFY(sent);
    QCOMPARE(sent->path, std::string("/action/auto"));
    QCOMPARE(sent->field("userid"), std::string("kim"));
    QCOMPARE(sent->field("passwd"), std::string("pw \"q'\\ 비밀"));
    QVERIFY(site.LastAutoLogin != 0);
    QVERIFY(host().count(platform::msg::kLoginOnBrowser) >= 1);
    QVERIFY(host().unhandled.empty() || host().unhandled.front().message != platform::msg::kLoginOnBrowser);
    QVERIFY(!confirmWindow());
    QVERIFY(host().popup().popups().isEmpty());
  }

  // The site tree opens a site in a new window of the program's browser, where
  // the automatic login takes it.
  void theTreeOpensItsSitesInTheProgramsBrowser() {
    server().setPage("/tree/login.html", loginPage("tree", "Tree"));
    store::TRegSiteCollItem& site = host().addSite(keyword("tree"), store::kLoginAutomatic, "tree-id", "tree-pw");
    site.URL = server().url("/tree/login.html");
    host().explorer().selectNode(host().explorer().tree().first());
    host().explorer().TVRegSiteDblClick();
    auto sent = nextSubmission();
    QVERIFY(sent);
    QCOMPARE(sent->path, std::string("/action/tree"));
    QCOMPARE(sent->field("userid"), std::string("tree-id"));
    QCOMPARE(sent->field("passwd"), std::string("tree-pw"));
  }

  // Type 3: the confirmation window of the site comes first; the right
  // password in it fills and submits the page.
  void aConfirmationSiteAsksForThePasswordFirst() {
    host().addSite(keyword("confirm"), store::kLoginAfterConfirmation, "lee", "conf-pw");
    auto page = open("/confirm/login.html", loginPage("confirm", "Confirm"));
    QVERIFY(page);
    QVERIFY(waitFor([&] { return confirmWindow() && confirmWindow()->isVisible(); }));
    users::TCLoginForm* form = confirmWindow();
    QCOMPARE(form->objectName(), users::TCLoginForm::siteWindowName(page->handle()));
    QCOMPARE(form->objectName().toStdString(), web::LoginFormName(page->handle()));
    QVERIFY(form->objectName().startsWith("FPLF"));
    QCOMPARE(form->objectName().size(), 20);
    QVERIFY(form->isSiteMode());
    QVERIFY(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // Centred over the browser window.
    const cdp::WindowBounds b = page->bounds();
    const QPoint browserCentre(b.left + b.width / 2, b.top + b.height / 2);
    QVERIFY2((form->geometry().center() - browserCentre).manhattanLength() <= 2,
             qPrintable(QString("form at %1,%2 %3x%4, browser at %5,%6 %7x%8")
                            .arg(form->x())
                            .arg(form->y())
                            .arg(form->width())
                            .arg(form->height())
                            .arg(b.left)
                            .arg(b.top)
                            .arg(b.width)
                            .arg(b.height)));
    settle(300ms);
    QCOMPARE(server().submissions().size(), seen_);  // nothing sent before the user is confirmed
    QCOMPARE(webtest::eval(page, "document.forms.login.passwd.value"), std::string());

    auto* edit = form->findChild<QLineEdit*>("EdtPWD");
    QTest::keyClicks(edit, QString::fromStdString(host().session->user.password));
    QTest::mouseClick(form->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
    auto sent = nextSubmission();
    QVERIFY(sent);
    QCOMPARE(sent->path, std::string("/action/confirm"));
    QCOMPARE(sent->field("userid"), std::string("lee"));
    QCOMPARE(sent->field("passwd"), std::string("conf-pw"));
    QVERIFY(waitFor([&] { return !confirmWindow(); }));
  }

  // A site deleted while its confirmation window waits: the confirmed user's
  // password fills nothing and no key submits the page.
  void aSiteDeletedMeanwhileIsNotSubmitted() {
    const int id = host().addSite(keyword("gone"), store::kLoginAfterConfirmation, "oh", "gone-pw").ID();
    // The ID field has the focus, as on many login pages: an Enter would submit.
    std::string html = loginPage("gone", "Gone");
    html.replace(html.find("name=\"userid\""), 13, "name=\"userid\" autofocus");
    auto page = open("/gone/login.html", html);
    QVERIFY(page);
    QVERIFY(waitFor([&] { return confirmWindow() != nullptr; }));
    QPointer<users::TCLoginForm> form = confirmWindow();
    host().registeredSites().RegSites().removeById(id);
    QTest::keyClicks(form->findChild<QLineEdit*>("EdtPWD"), QString::fromStdString(host().session->user.password));
    QTest::mouseClick(form->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
    QVERIFY(waitFor([&] { return form.isNull(); }));
    settle(500ms);
    QCOMPARE(server().submissions().size(), seen_);
    QCOMPARE(webtest::eval(page, "document.forms.login.passwd.value"), std::string());
  }

  // 0x4FD (and 0x4FA, which the add-on sends when the page goes) frees the
  // window of its own browser window only; a log-in request for the same page
  // brings the open window back instead of opening a second.
  void theConfirmationWindowGoesWithItsBrowserWindow() {
    host().addSite(keyword("drop"), store::kLoginAfterConfirmation, "park", "drop-pw");
    auto page = open("/drop/login.html", loginPage("drop", "Drop"));
    QVERIFY(page);
    QVERIFY(waitFor([&] { return confirmWindow() != nullptr; }));
    QPointer<users::TCLoginForm> form = confirmWindow();

    post(platform::msg::kDropBrowserForms, page->handle() + 1);
    settle(200ms);
    QCOMPARE(confirmWindow(), form.data());

    post(platform::msg::kDropBrowserForms, page->handle());
    QVERIFY(waitFor([&] { return form.isNull(); }));
    QVERIFY(!confirmWindow());

    // The page loaded again: a new window; the page then left: the add-on's 0x4FA frees it.
    QVERIFY(navigate(page, server().url("/drop/login.html")));
    QVERIFY(waitFor([&] { return confirmWindow() != nullptr; }));
    form = confirmWindow();
    page->navigate(server().url("/drop/elsewhere.html"));
    QVERIFY(waitFor([&] { return form.isNull(); }));
    QVERIFY(host().count(platform::msg::kBrowserGone) >= 1);
    settle(300ms);
    QCOMPARE(server().submissions().size(), seen_);
  }

  // An unregistered login page: one notice (also when the add-on reports the
  // page again), and its click opens the site form on the captured record.
  void anUnregisteredLoginPageIsOfferedAndItsNoticeOpensTheSiteForm() {
    auto page = open("/new/login.html", loginPage("new", "New Bank"));
    QVERIFY(page);
    QVERIFY(waitFor([&] { return !noticesOf(page->handle()).empty(); }));
    QCOMPARE(host().detectedSites().RegSites().count(), 1);
    QVERIFY(side().newSiteNoticePending());
    post(platform::msg::kLoginOnBrowser, page->handle());  // reported again
    settle(300ms);
    QCOMPARE(noticesOf(page->handle()).size(), std::size_t(1));
    QCOMPARE(host().detectedSites().RegSites().count(), 1);

    widgets::TfrmMSNPopUp* notice = noticesOf(page->handle()).front();
    auto* text = notice->findChild<QWidget*>("lblText");
    QTest::mouseClick(notice->windowHandle(), Qt::LeftButton, {}, text->mapTo(notice, text->rect().center()));
    QVERIFY(waitFor([&] { return side().registration().siteForm() && side().registration().siteForm()->isVisible(); }));
    web::TAddSiteForm* form = side().registration().siteForm();
    QVERIFY(host().count(platform::msg::kAddSite) >= 1);
    QVERIFY(!side().newSiteNoticePending());
    QVERIFY(form->addMode());
    QCOMPARE(form->browserWindow(), page->handle());
    QCOMPARE(form->EdtSiteURL->text().toStdString(), page->url());
    QCOMPARE(form->EdtSiteName->text(), QString("New Bank"));
  }

  // The tray entry switches the offer off: the setting the offer reads, the
  // tick mark and the user's registry value; a login page then gets no notice.
  void theTraySwitchTurnsTheOfferOff() {
    QAction entry;
    QVERIFY(side().TrayMenu_AlarmNewSiteClick(&entry));
    QVERIFY(!host().settingsValues.AlarmNewSite);
    QCOMPARE(host().alarmTicks, std::vector<bool>{false});
    QVERIFY(!entry.isChecked());
    platform::Registry registry(platform::Registry::CurrentUser);
    QCOMPARE(
        registry.openKey(store::reg::userKeyPath(host().session->user.id)).value().readBool("AlarmNewSite").value(),
        false);

    auto page = open("/quiet/login.html", loginPage("quiet", "Quiet"));
    QVERIFY(page);
    QVERIFY(waitFor([&] { return host().count(platform::msg::kLoginOnBrowser) >= 1; }));
    settle(300ms);
    QVERIFY(host().popup().popups().isEmpty());
    QCOMPARE(host().detectedSites().RegSites().count(), 0);

    QVERIFY(side().TrayMenu_AlarmNewSiteClick(&entry));
    QVERIFY(host().settingsValues.AlarmNewSite);
    QVERIFY(entry.isChecked());
  }

  // Logout takes the site form, the notices of browser windows (not others)
  // and the sites' login windows with it; while logged out the browser
  // messages do nothing; the next login starts afresh.
  void logoutClosesTheBrowserSidesWindows() {
    host().addSite(keyword("out"), store::kLoginAfterConfirmation, "choi", "out-pw");
    auto confirmPage = open("/out/login.html", loginPage("out", "Out"));
    QVERIFY(confirmPage);
    QVERIFY(waitFor([&] { return confirmWindow() != nullptr; }));
    QPointer<users::TCLoginForm> form = confirmWindow();
    auto newPage = open("/fresh/login.html", loginPage("fresh", "Fresh"));
    QVERIFY(newPage);
    QVERIFY(waitFor([&] { return !noticesOf(newPage->handle()).empty(); }));
    post(platform::msg::kAddSite, -1, 0);
    QVERIFY(waitFor([&] { return side().registration().isFormOpen(); }));
    // A notice of the main window's own (no browser window) stays.
    host().popup().IEHandle = 0;
    host().popup().SiteID = 0;
    host().popup().OnClick = nullptr;
    host().popup().OnPopupClose = nullptr;
    QVERIFY(host().popup().ShowPopUp());

    host().logOut();
    QVERIFY(waitFor([&] { return form.isNull(); }));
    QVERIFY(!side().registration().isFormOpen());
    QVERIFY(noticesOf(newPage->handle()).empty());
    QCOMPARE(host().popup().popups().size(), 1);
    QVERIFY(!side().newSiteNoticePending());

    // Logged out: a reported page is left alone.
    post(platform::msg::kLoginOnBrowser, newPage->handle());
    post(platform::msg::kLoginOnBrowser, confirmPage->handle());
    settle(300ms);
    QVERIFY(host().popup().popups().size() == 1);
    QVERIFY(!confirmWindow());
    host().popup().ClosePopUps();
  }

  // The automatic logout closes every window of the program's browser when
  // ALIEClose is set, and none when it is not.
  void theAutomaticLogoutClosesTheBrowserWindows() {
    QVERIFY(open("/idle/a.html", "<html><body>a</body></html>"));
    QVERIFY(open("/idle/b.html", "<html><body>b</body></html>"));
    host().settingsValues.ALIEClose = false;
    post(platform::msg::kIdleLogout, 1);
    QVERIFY(waitFor([&] { return !host().isLoggedIn; }));
    settle(300ms);
    QCOMPARE(side().browser().windows().size(), std::size_t(2));

    // A window that has just been logged into, taking the answer to its form:
    // the first window of a browser just started lets the first request pass.
    side().browser().shutdown();
    host().logIn();
    host().settingsValues.ALIEClose = true;
    host().addSite(keyword("idle"), store::kLoginAutomatic, "idle-id", "idle-pw");
    QVERIFY(open("/idle/login.html", loginPage("idle", "Idle")));
    QVERIFY(nextSubmission());
    post(platform::msg::kIdleLogout, 1);
    QVERIFY(waitFor([&] { return !host().isLoggedIn; }));
    QVERIFY(side().browser().windows().empty());  // closed before idleLogout() returns
    QVERIFY(side().browser().isRunning());
    // The next page opens as ever.
    QVERIFY(open("/idle/c.html", "<html><body>c</body></html>"));
  }

  // A logout among the pending messages a log-in request lets run while it
  // drops the page's windows (here: as the windows are dropped): the request
  // ends there, with no alert and nothing read from the gone session.
  void aLogoutWhileALoginRequestWaitsEndsTheRequest() {
    auto page = open("/plain/page.html", "<html><head><title>Plain</title></head><body>no form</body></html>");
    QVERIFY(page);
    setRequestedAddress(page->url());
    host().onNextPopupUse = [this] { host().logOut(); };
    post(platform::msg::kLoginRequest);
    QVERIFY(waitFor([&] { return !host().isLoggedIn; }));
    settle(500ms);
    QVERIFY(!page->dialogOpen());
    QVERIFY(host().messages.empty());
  }

  // A two-step login's armed password page does not outlive the session: after
  // logout and a new login, the next user's site of the same ID is not filled on
  // it without its confirmation.
  void aTwoStepLoginEndsAtLogout() {
    const std::string password =
        "<html><head><title>Password</title></head><body><form action=\"/action/twoout-pw\" method=\"post\">"
        "<input type=\"password\" name=\"passwd\"><button>Log in</button></form></body></html>";
    server().setPage("/twoout/password.html", password);
    const int firstId = host().addSite(keyword("twoout"), store::kLoginAutomatic, "first@example.com", "first-pw").ID();
    auto page = open("/twoout/id.html",
                     "<html><head><title>Sign in</title></head><body><form action=\"/action/twoout-id\" method=\"get\">"
                     "<input type=\"email\" name=\"userid\" autocomplete=\"username\"><button>Next</button>"
                     "</form></body></html>");
    QVERIFY(page);
    auto id = nextSubmission();  // the ID submitted at once: the password page is armed
    QVERIFY(id);
    QCOMPARE(id->field("userid"), std::string("first@example.com"));

    host().logOut();
    host().logIn();
    const int secondId =
        host().addSite(keyword("twoout"), store::kLoginAfterConfirmation, "second@example.com", "second-pw").ID();
    QCOMPARE(secondId, firstId);
    const std::size_t reports = host().count(platform::msg::kLoginOnBrowser);
    QVERIFY(navigate(page, server().url("/twoout/password.html")));
    QVERIFY(waitFor([&] { return host().count(platform::msg::kLoginOnBrowser) > reports; }));
    settle(700ms);
    QCOMPARE(server().submissions().size(), seen_);
    QCOMPARE(webtest::eval(page, "document.forms[0].passwd.value"), std::string());
  }

  // The add-on's requests: a log-in request for the page whose confirmation
  // window is open brings that window back (no second one); a register request
  // for an unregistered page opens the site form on its capture.
  void theAddonsRequestsReachTheirWindows() {
    host().addSite(keyword("again"), store::kLoginAfterConfirmation, "yoon", "again-pw");
    auto page = open("/again/login.html", loginPage("again", "Again"));
    QVERIFY(page);
    QVERIFY(waitFor([&] { return confirmWindow() != nullptr; }));
    QPointer<users::TCLoginForm> form = confirmWindow();
    setRequestedAddress(page->url());
    post(platform::msg::kLoginRequest);
    QVERIFY(waitFor([&] { return host().count(platform::msg::kLoginRequest) == 1; }));
    settle(300ms);
    QVERIFY(form);
    QCOMPARE(confirmWindow(), form.data());
    QVERIFY(form->isVisible());

    auto other = open("/register/login.html", loginPage("register", "Register Me"));
    QVERIFY(other);
    QVERIFY(waitFor([&] { return !noticesOf(other->handle()).empty(); }));
    setRequestedAddress(other->url());
    post(platform::msg::kRegisterRequest);
    QVERIFY(waitFor([&] { return side().registration().siteForm() && side().registration().siteForm()->isVisible(); }));
    QCOMPARE(side().registration().siteForm()->EdtSiteName->text(), QString("Register Me"));
    QCOMPARE(side().registration().siteForm()->browserWindow(), other->handle());
    host().timers->advance(2000);  // the page's notice slid away: the request took its place
    QVERIFY(noticesOf(other->handle()).empty());
    QCOMPARE(host().detectedSites().RegSites().count(), 1);  // the form's capture only
    QVERIFY(form);                                           // the other page's window is left alone
  }

  // Login type 4: the fingerprint login window of the site, never visible, asks
  // through its popup; the user's finger on the simulated sensor fills and
  // submits the page; the page leaving frees the window.
  void aFingerprintSiteLogsInWithTheFinger() {
    users::test::Sensor sensor;
    QVERIFY(sensor.ok());
    users::test::Sensor::installDriver();
    sensor.plug();
    const users::test::MadeUser made = users::test::makeUser("fpuser", "fp-pw", {users::test::kFinger108});
    host().records = made.records;
    host().addSite(keyword("finger"), store::kLoginWithFingerprint, "han", "finger-pw");

    auto page = open("/finger/login.html", loginPage("finger", "Finger Bank"));
    QVERIFY(page);
    QVERIFY(waitFor([&] { return side().loginWindows().fingerprintWindow() != nullptr; }));
    QPointer<users::TFPLoginForm> form = side().loginWindows().fingerprintWindow();
    QCOMPARE(form->objectName().toStdString(), web::LoginFormName(page->handle()));
    QVERIFY(waitFor([&] { return form && form->isVerifying(); }, 20s));
    QVERIFY(form->popup()->popups().size() == 1);
    QVERIFY(form->popup()->popups().first()->properties().Text.contains("Finger Bank"));
    settle(200ms);
    QCOMPARE(server().submissions().size(), seen_);

    sensor.layFinger(users::test::kFinger108, users::test::kFinger108.probe);
    auto sent = nextSubmission();
    QVERIFY(sent);
    QCOMPARE(sent->path, std::string("/action/finger"));
    QCOMPARE(sent->field("userid"), std::string("han"));
    QCOMPARE(sent->field("passwd"), std::string("finger-pw"));
    // The page went on to the answer: the add-on's 0x4FA frees the window.
    QVERIFY(waitFor([&] { return form.isNull(); }));
    QVERIFY(!side().loginWindows().fingerprintOpen());
    users::test::stopFingerprintThreads();
    users::test::Sensor::uninstallDrivers();
  }

  // The confirmation window of a site over the browser, in both languages.
  void pictures_data() {
    QTest::addColumn<bool>("japanese");
    QTest::newRow("ko") << false;
    QTest::newRow("ja") << true;
  }
  void pictures() {
    QFETCH(bool, japanese);
    texts::setLanguage(japanese ? texts::Language::Japanese : texts::Language::Korean);
    const std::string folder = japanese ? "picja" : "picko";
    host().addSite(keyword(folder), store::kLoginAfterConfirmation, "kim", "pw");
    auto page = open("/" + folder + "/login.html", loginPage(folder, "Pictures"));
    QVERIFY(page);
    QVERIFY(waitFor([&] { return confirmWindow() && confirmWindow()->isVisible(); }));
    users::TCLoginForm* form = confirmWindow();
    const QString name = picturesDir() + (japanese ? "/confirm-site-ja.png" : "/confirm-site-ko.png");
    QVERIFY(form->grab().save(name));
    texts::setLanguage(texts::Language::Korean);
  }

  // A two-step login under a confirmation site: the window is asked once, on
  // the ID's page; the password page that follows is filled without asking.
  void aTwoStepLoginAsksOnce() {
    host().addSite(keyword("two"), store::kLoginAfterConfirmation, "jung@example.com", "two-pw");
    server().setPage("/two/password.html",
                     "<html><head><title>Password</title></head><body><form action=\"/action/two-pw\" method=\"post\">"
                     "<input type=\"password\" name=\"passwd\"><button>Log in</button></form></body></html>");
    auto page =
        open("/two/id.html",
             "<html><head><title>Sign in</title></head><body><form action=\"/two/password.html\" method=\"get\">"
             "<input type=\"email\" name=\"userid\" autocomplete=\"username\"><button>Next</button>"
             "</form></body></html>");
    QVERIFY(page);
    QVERIFY(waitFor([&] { return confirmWindow() != nullptr; }));
    users::TCLoginForm* form = confirmWindow();
    const std::size_t requestsBefore = server().requests().size();
    QTest::keyClicks(form->findChild<QLineEdit*>("EdtPWD"), QString::fromStdString(host().session->user.password));
    QTest::mouseClick(form->findChild<QPushButton*>("btnOK"), Qt::LeftButton);

    std::optional<webtest::Request> idStep;
    QVERIFY(waitFor(
        [&] { return (idStep = server().waitForRequest("/two/password.html", requestsBefore, 0ms)).has_value(); }));
    QCOMPARE(idStep->field("userid"), std::string("jung@example.com"));
    auto sent = nextSubmission();
    QVERIFY(sent);
    QCOMPARE(sent->path, std::string("/action/two-pw"));
    QCOMPARE(sent->field("passwd"), std::string("two-pw"));
    QVERIFY(!confirmWindow());
  }
};

int main(int argc, char** argv) {
  testenv::isolateHome();
  ::setenv("LOCKMERE_BROWSER_HEADLESS", "1", 0);
  QApplication app(argc, argv);
  BrowserSideTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "BrowserSideTest.moc"
