// Registration against the real headless Chromium and the recording test server:
// the new-site offer and its notification, the browser's register request with
// its alerts, a captured page with many fields, and the whole way a user takes,
// from an unregistered login page to a site that logs in by itself; pictures of
// the notification.
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <chrono>

#include "lockmere/texts/Language.h"
#include "lockmere/texts/StringTable.h"
#include "lockmere/tools/addon/BrowserAddon.h"
#include "lockmere/web/AddSiteForm.h"
#include "lockmere/web/NewSiteOffer.h"
#include "lockmere/web/ProgramBrowserLauncher.h"
#include "lockmere/widgets/Gradient.h"
#include "lockmere/widgets/MSNPopUpForm.h"
#include "platform/Registry.h"
#include "platform/StatusBlock.h"
#include "tests/support/Pictures.h"
#include "tests/web/support/WebTestEnv.h"
#include "tests/web_registration/TestMainWindow.h"

namespace webtest {
void shutdown();
}

using namespace std::chrono_literals;
using webtest::browser;
using webtest::server;
using widgets::TfrmMSNPopUp;

namespace {

QString picturesDir() { return testenv::picturesDir(LOCKMERE_PICTURES_DIR); }

// A login page: the ID and password fields, and what else the form holds.
std::string loginPage(const std::string& action, const std::string& title, const std::string& before = {},
                      const std::string& after = {}) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
         "</title></head><body><form name=\"login\" action=\"/action/" + action + "\" method=\"post\">" + before +
         "<input type=\"text\" name=\"userid\"><input type=\"password\" name=\"passwd\">" + after +
         "<button>Log in</button></form></body></html>";
}

std::shared_ptr<cdp::PageTarget> show(const std::string& path, const std::string& html) {
  server().setPage(path, html);
  return webtest::load(server().url(path));
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s) {
  return webtest::processEventsUntil(condition, timeout);
}

void settle() {
  webtest::processEventsUntil([] { return false; }, 400ms);
}

void setRequestedAddress(const std::string& url) {
  platform::Registry registry(platform::Registry::CurrentUser);
  QVERIFY(registry.createKey("\\Software\\Veradynics\\Lockmere").value().writeString("LastAddSiteURL", url));
}

bool requestedAddressLeft() {
  platform::Registry registry(platform::Registry::CurrentUser);
  auto key = registry.openKey("\\Software\\Veradynics\\Lockmere");
  return key && key.value().readString("LastAddSiteURL");
}

void post(regtest::TestMainWindow& main, std::uint32_t message, std::int64_t wParam = 0, std::int64_t lParam = 0) {
  platform::MessageBus::post(main.mainWindowHandle(), message, wParam, lParam);
}

// A real click through the popup window, on one of its controls.
void clickPopup(TfrmMSNPopUp* popup, const char* control) {
  auto* w = popup->findChild<QWidget*>(control);
  QVERIFY(w);
  QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {}, w->mapTo(popup, w->rect().center()));
}

web::TAddSiteForm* waitForForm(regtest::TestMainWindow& main) {
  if (!waitFor([&] { return main.registration.siteForm() && main.registration.siteForm()->isVisible(); }))
    return nullptr;
  return main.registration.siteForm();
}

// The next form the server receives after the first `seen`, while the program's
// messages are handled.
std::optional<webtest::Request> nextSubmission(std::size_t seen) {
  if (!waitFor([seen] { return server().submissions().size() > seen; })) return std::nullopt;
  return server().submissions()[seen];
}

int detectedCount(regtest::TestMainWindow& main) { return main.detectedSites().RegSites().count(); }

}  // namespace

class RegistrationBrowserTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    texts::setLanguage(texts::Language::Korean);
    blockName_ = "/lockmere-registration-test-" + std::to_string(::getpid());
    // Before the browser starts: the add-on loads its extension into it.
    addon_ = std::make_unique<addon::BrowserAddon>(
        browser(), std::string(LOCKMERE_SOURCE_DIR) + "/lockmere/tools/addon/extension", blockName_);
  }
  void cleanupTestCase() {
    addon_.reset();
    webtest::shutdown();
  }
  void init() { seen_ = server().submissions().size(); }

  void anUnregisteredLoginPageIsOfferedForFiveSeconds() {
    regtest::TestMainWindow main(browser());
    const std::string title = "Members of the Example Portal - please log in";
    auto page = show("/offer/login.html", loginPage("offer", title));
    int code = 99;
    main.registration.OfferNewSite(page, page->handle(), code);
    QCOMPARE(code, int(web::kOffered));
    QCOMPARE(detectedCount(main), 1);
    const store::TRegSiteCollItem& captured = main.detectedSites().RegSites().at(0);
    QCOMPARE(captured.URL, server().url("/offer/login.html"));
    QCOMPARE(captured.Name, title);
    QCOMPARE(captured.ID_Name, std::string("userid"));
    QCOMPARE(captured.PW_Name, std::string("passwd"));
    QVERIFY(main.noticePending);

    QCOMPARE(main.popup().popups().size(), 1);
    TfrmMSNPopUp* popup = main.popup().popups().first();
    const widgets::TMSNPopUpProperties& p = popup->properties();
    QCOMPARE(p.Title, texts::M(31));
    QCOMPARE(p.Text, "『Members of the Example Portal ...』\r\n\r\n" + texts::M(32));
    QCOMPARE(p.Width, 240);
    QCOMPARE(p.TimeOut, 5);
    QCOMPARE(p.GradientColor1, QColor(0xAF, 0xD5, 0xBB));
    QCOMPARE(p.GradientColor2, QColor(0xE7, 0xF8, 0xEC));
    QCOMPARE(int(p.Options), 0);
    QCOMPARE(p.SiteID, captured.ID());
    QCOMPARE(p.IEHandle, page->handle());
    QVERIFY(popup->isVisible());  // no slide in: open at once

    main.timers->advance(4990);
    QVERIFY(popup->isVisible());
    QCOMPARE(detectedCount(main), 1);
    main.timers->advance(1000);  // five seconds and the slide away
    QVERIFY(main.popup().popups().isEmpty());
    QCOMPARE(detectedCount(main), 0);
    QVERIFY(!main.noticePending);
    QCOMPARE(main.count(platform::msg::kAddSite), 0u);
  }

  void nothingIsOfferedWhenTheUserSaysSoOrThePageHasNoLoginForm() {
    regtest::TestMainWindow main(browser());
    main.alarmNewSiteSetting = false;
    auto page = show("/quiet/login.html", loginPage("quiet", "Quiet"));
    int code = 99;
    main.registration.OfferNewSite(page, page->handle(), code);
    QCOMPARE(code, int(web::kAlarmNewSiteOff));
    QCOMPARE(detectedCount(main), 0);
    QVERIFY(main.popup().popups().isEmpty());
    QVERIFY(!main.noticePending);

    main.alarmNewSiteSetting = true;
    page = show("/plain/page.html",
                "<html><head><title>Plain</title></head><body><form><input name=q></form></body></html>");
    main.registration.OfferNewSite(page, page->handle(), code);
    QCOMPARE(code, int(web::kNoLoginFormOnPage));
    QCOMPARE(detectedCount(main), 0);
    QVERIFY(main.popup().popups().isEmpty());
  }

  void aRegisterRequestForARegisteredSiteSaysSoInThePage() {
    regtest::TestMainWindow main(browser());
    main.session.addSite("registered").Keyword = "127.0.0.1:" + std::to_string(server().port()) + "/REGISTERED";
    auto page = show("/registered/login.html", loginPage("registered", "Registered"));
    setRequestedAddress(page->url());
    post(main, platform::msg::kRegisterRequest);
    QVERIFY(waitFor([&] { return page->dialogOpen(); }));
    QCOMPARE(page->dialogMessage(), texts::M(35).toStdString());
    page->answerDialog(true);
    settle();
    QVERIFY(!main.registration.isFormOpen());
    QCOMPARE(detectedCount(main), 0);
    QVERIFY(!requestedAddressLeft());
    QVERIFY(main.messages.empty());
  }

  void aRegisterRequestForAPageWithoutAPasswordField() {
    regtest::TestMainWindow main(browser());
    auto page = show("/nologin/page.html", "<html><body><form><input name=q></form></body></html>");
    setRequestedAddress(page->url() + "/");  // one trailing slash is no difference
    post(main, platform::msg::kRegisterRequest);
    QVERIFY(waitFor([&] { return page->dialogOpen(); }));
    QCOMPARE(page->dialogMessage(), (texts::M(36) + "\n\n" + texts::M(37)).toStdString());
    page->answerDialog(true);
    QVERIFY(!main.registration.isFormOpen());
    QCOMPARE(detectedCount(main), 0);
  }

  void aRegisterRequestOpensTheFormAndARepeatedOneShowsIt() {
    regtest::TestMainWindow main(browser());
    auto page = show("/register/login.html", loginPage("register", "Register me"));
    // A request for a page the browser does not show in front is ignored.
    setRequestedAddress(server().url("/register/other.html"));
    post(main, platform::msg::kRegisterRequest);
    settle();
    QVERIFY(!main.registration.isFormOpen());
    QCOMPARE(detectedCount(main), 0);

    setRequestedAddress(page->url());
    post(main, platform::msg::kRegisterRequest);
    web::TAddSiteForm* form = waitForForm(main);
    QVERIFY(form);
    QCOMPARE(detectedCount(main), 1);
    QCOMPARE(form->siteId(), main.detectedSites().RegSites().at(0).ID());
    QCOMPARE(form->browserWindow(), page->handle());
    QCOMPARE(form->EdtSiteURL->text().toStdString(), page->url());
    QCOMPARE(form->EdtSiteName->text(), QString("Register me"));
    QCOMPARE(main.lastRegister, page->url());
    QVERIFY(main.popup().popups().isEmpty());  // no notification for a request

    setRequestedAddress(page->url());
    post(main, platform::msg::kRegisterRequest);
    settle();
    QCOMPARE(main.registration.siteForm(), form);
    QVERIFY(form->isVisible());
    QCOMPARE(detectedCount(main), 1);
    QVERIFY(!requestedAddressLeft());

    QTest::mouseClick(form->BtnCancel, Qt::LeftButton);
    QVERIFY(waitFor([&] { return !main.registration.isFormOpen(); }));
    QCOMPARE(detectedCount(main), 1);  // kept until saved or logout
  }

  void fourTextFieldsAndTwoDropDowns() {
    regtest::TestMainWindow main(browser());
    const std::string lang =
        "<select name=\"lang\"><option value=\"k\">kr.example</option><option "
        "value=\"c\">corp.example</option></select>";
    const std::string fields =
        "<input name=\"f1\"><input name=\"f2\"><input name=\"f3\"><input name=\"f4\">"
        "<select name=\"domain\"><option value=\"p\">portal.example</option><option value=\"c\">corp.example</option>"
        "</select>";
    auto page = show("/many/login.html", loginPage("many", "Many fields", lang, fields));
    int code = 99;
    main.registration.OfferNewSite(page, page->handle(), code);
    QCOMPARE(code, 0);
    QCOMPARE(main.popup().popups().size(), 1);
    clickPopup(main.popup().popups().first(), "lblText");
    web::TAddSiteForm* form = waitForForm(main);
    QVERIFY(form);
    QVERIFY(!main.noticePending);
    QCOMPARE(form->size(), QSize(437, 462 + 3 * 32));
    for (int k = 0; k < 3; ++k) QCOMPARE(form->LbMore[k]->text(), QString("( f%1 )").arg(k + 1));
    QCOMPARE(form->CBDomain->count(), 2);
    QCOMPARE(form->CBDomain->itemText(0), QString("portal.example"));
    regtest::typeText(form->EdtUserID, "choi");
    regtest::typeText(form->EdtPassword, "pw1");
    for (int k = 0; k < 3; ++k) regtest::typeText(form->EdMore[k], QString("v%1").arg(k + 1));
    form->CBDomain->setCurrentIndex(1);
    QTest::mouseClick(form->BtnOK, Qt::LeftButton);

    // Saved, and the page logged into at once with every value.
    auto sent = nextSubmission(seen_);
    QVERIFY(sent);
    QCOMPARE(sent->path, std::string("/action/many"));
    QCOMPARE(sent->field("userid"), std::string("choi"));
    QCOMPARE(sent->field("passwd"), std::string("pw1"));
    QCOMPARE(sent->field("f1") + sent->field("f2") + sent->field("f3"), std::string("v1v2v3"));
    QVERIFY(sent->hasField("f4"));
    QCOMPARE(sent->field("f4"), std::string());
    QCOMPARE(sent->field("domain"), std::string("c"));
    QCOMPARE(sent->field("lang"), std::string("c"));

    const store::TRegSiteCollection& sites = main.registeredSites().RegSites();
    QCOMPARE(sites.count(), 1);
    QStringList values;
    for (int i = 0; i < sites.at(0).ExtraItems.count(); ++i) {
      const store::TExtraItems& e = sites.at(0).ExtraItems.at(i);
      values << QString::fromStdString(e.Name + "=" + e.Value);
    }
    QCOMPARE(values, QStringList({"lang=corp.example", "f1=v1", "f2=v2", "f3=v3", "f4=", "domain=corp.example"}));
    QCOMPARE(detectedCount(main), 0);
  }

  // From an unregistered login page in the program's browser to a site that
  // logs in by itself, with the add-on reporting the pages as in the program.
  void theWholeWayAUserTakes() {
    regtest::TestMainWindow main(browser(), &launcher_);
    main.retryTime = -1;  // the second login follows the first within seconds
    platform::StatusBlock block(blockName_);
    QVERIFY2(block.create(main.mainWindowHandle()), block.errorString().c_str());
    block.setLoggedIn(true);
    block.setAutoGetUrl(true);
    const auto before = browser().windows();
    server().setPage("/whole/login.html", loginPage("whole", "Whole Bank"));
    const std::string url = server().url("/whole/login.html");

    auto page = browser().openWindow(url);
    QVERIFY(waitFor([&] { return !main.popup().popups().isEmpty(); }));
    QCOMPARE(std::count(main.offerCodes.begin(), main.offerCodes.end(), 0), 1);
    TfrmMSNPopUp* popup = main.popup().popups().first();
    QCOMPARE(popup->properties().IEHandle, page->handle());
    clickPopup(popup, "lblText");

    web::TAddSiteForm* form = waitForForm(main);
    QVERIFY(form);
    QVERIFY(form->addMode());
    QCOMPARE(form->EdtSiteURL->text().toStdString(), url);
    QCOMPARE(form->EdtSiteName->text(), QString("Whole Bank"));
    QCOMPARE(form->CBURLKeyword->currentText().toStdString(), "127.0.0.1:" + std::to_string(server().port()));
    QCOMPARE(QApplication::focusWidget(), form->EdtUserID);
    // The keyword of the page's folder, typed in lower case.
    form->CBURLKeyword->lineEdit()->selectAll();
    regtest::typeText(form->CBURLKeyword->lineEdit(), "127.0.0.1:" + QString::number(server().port()) + "/whole");
    regtest::typeText(form->EdtUserID, "kim@example.com");
    regtest::typeText(form->EdtPassword, "pa ss&word=비밀");
    QTest::mouseClick(form->BtnOK, Qt::LeftButton);

    auto sent = nextSubmission(seen_);
    QVERIFY(sent);
    QCOMPARE(sent->path, std::string("/action/whole"));
    QCOMPARE(sent->field("userid"), std::string("kim@example.com"));
    QCOMPARE(sent->field("passwd"), std::string("pa ss&word=비밀"));
    QCOMPARE(main.registeredSites().RegSites().at(0).Keyword,
             "127.0.0.1:" + std::to_string(server().port()) + "/WHOLE");

    // The same page opened again, from the site tree: it logs in by itself.
    main.explorer().selectNode(main.explorer().tree().first());
    QCOMPARE(main.explorer().selectedNode()->text(), QString("Whole Bank"));
    main.explorer().TVRegSiteDblClick();
    auto again = nextSubmission(seen_ + 1);
    QVERIFY(again);
    QCOMPARE(again->field("userid"), std::string("kim@example.com"));
    QCOMPARE(again->field("passwd"), std::string("pa ss&word=비밀"));
    QCOMPARE(std::count(main.offerCodes.begin(), main.offerCodes.end(), 0), 1);  // the page was offered once
    QVERIFY(main.popup().popups().isEmpty());
    block.remove();
    // The windows this test opened go; the other tests' window stays.
    for (const auto& w : browser().windows())
      if (std::find(before.begin(), before.end(), w) == before.end()) w->close();
  }

  void pictures_data() {
    QTest::addColumn<bool>("japanese");
    QTest::newRow("ko") << false;
    QTest::newRow("ja") << true;
  }
  void pictures() {
    QFETCH(bool, japanese);
    texts::setLanguage(japanese ? texts::Language::Japanese : texts::Language::Korean);
    {
      regtest::TestMainWindow main(browser());
      const std::string title = japanese ? "ログイン - サンプル銀行のインターネットバンキングサービス"
                                         : "로그인 - 예시은행 인터넷뱅킹 서비스에 오신 것을 환영합니다";
      auto page = show(japanese ? "/pic/ja.html" : "/pic/ko.html", loginPage("pic", title));
      int code = 99;
      main.registration.OfferNewSite(page, page->handle(), code);
      QCOMPARE(code, 0);
      TfrmMSNPopUp* popup = main.popup().popups().first();
      auto* text = popup->findChild<QLabel*>("lblText");
      auto* body = popup->findChild<QWidget*>("imgGradient");
      QVERIFY2(body->geometry().contains(text->geometry()), "the text does not fit the notification");
      QVERIFY(popup->grab().save(picturesDir() + (japanese ? "/popup-ja.png" : "/popup-ko.png")));
    }
    texts::setLanguage(texts::Language::Korean);
  }

 private:
  std::unique_ptr<addon::BrowserAddon> addon_;
  std::string blockName_;
  web::ProgramBrowserLauncher launcher_{browser()};
  std::size_t seen_ = 0;
};

int main(int argc, char** argv) {
  testenv::isolateHome();
  ::setenv("LOCKMERE_BROWSER_HEADLESS", "1", 0);
  QApplication app(argc, argv);
  RegistrationBrowserTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "RegistrationBrowserTest.moc"
