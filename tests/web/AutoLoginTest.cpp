#include <gtest/gtest.h>

#include <chrono>

#include "lockmere/texts/StringTable.h"
#include "lockmere/web/AutoLogin.h"
#include "lockmere/web/SiteMatch.h"
#include "platform/Registry.h"
#include "tests/web/support/TestLoginHost.h"
#include "tests/web/support/WebTestEnv.h"

using namespace std::chrono_literals;
using webtest::eval;
using webtest::server;

namespace {

constexpr const char* kLoginForm = R"(
  <form name="login" action="/action/%NAME%" method="post">
    <input type="text" name="q" placeholder="search">
    <input type="%TYPE%" name="userid"><input type="password" name="passwd"><button>Log in</button>
  </form>)";

std::string loginForm(const std::string& action, const std::string& idType = "text") {
  std::string form = kLoginForm;
  form.replace(form.find("%NAME%"), 6, action);
  form.replace(form.find("%TYPE%"), 6, idType);
  return form;
}

// (An e-mail field makes the browser refuse a submission whose ID is no e-mail address.)
std::string loginPage(const std::string& action, const std::string& idType = "text") {
  const std::string form = loginForm(action, idType);
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Login " + action + "</title></head><body>" + form +
         "</body></html>";
}

std::shared_ptr<cdp::PageTarget> show(const std::string& path, const std::string& html) {
  server().setPage(path, html);
  return webtest::load(server().url(path));
}

class AutoLoginTest : public ::testing::Test {
 protected:
  webtest::TestLoginHost host;
  web::AutoLogin engine{webtest::browser(), host};

  int loginOn(const std::shared_ptr<cdp::PageTarget>& page) {
    int code = 99;
    engine.AutoLoginOnPage(page, page->handle(), code);
    return code;
  }
  std::optional<webtest::Request> nextSubmission(std::chrono::milliseconds timeout = 5s) {
    return server().waitForSubmission(seen_, timeout);
  }
  void SetUp() override { seen_ = server().submissions().size(); }

  std::size_t seen_ = 0;
};

std::string upperName(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s + "/";
}

void setRequestedAddress(const std::string& url) {
  platform::Registry registry(platform::Registry::CurrentUser);
  ASSERT_TRUE(registry.createKey("\\Software\\Veradynics\\Lockmere").value().writeString("LastAddSiteURL", url));
}

}  // namespace

TEST(SiteMatch, KeywordsAreSearchedInTheAddressWithoutQueryFragmentAndUserName) {
  EXPECT_EQ(web::KeywordSearchAddress("https://bank.example/login?next=x#top"), "HTTPS://BANK.EXAMPLE/LOGIN");
  EXPECT_EQ(web::KeywordSearchAddress("http://BANK.EXAMPLE@attacker.example/a@b"), "HTTP://ATTACKER.EXAMPLE/A@B");
  EXPECT_EQ(web::KeywordSearchAddress("http://u:p@host/x"), "HTTP://HOST/X");
  EXPECT_EQ(web::KeywordSearchAddress("about:blank"), "ABOUT:BLANK");
  store::TRegSiteCollItem s;
  s.Keyword = "BANK.EXAMPLE";
  EXPECT_TRUE(web::KeywordMatches(s, "HTTPS://WWW.BANK.EXAMPLE/"));
  EXPECT_FALSE(web::KeywordMatches(s, web::KeywordSearchAddress("http://attacker.example/?u=BANK.EXAMPLE")));
  s.Keyword = "bank.example";  // only keywords stored in upper case can match
  EXPECT_FALSE(web::KeywordMatches(s, "HTTPS://WWW.BANK.EXAMPLE/"));
  s.Keyword = "";
  EXPECT_FALSE(web::KeywordMatches(s, "HTTPS://WWW.BANK.EXAMPLE/"));
}

TEST(SiteMatch, FormNamesAndSeconds) {
  EXPECT_EQ(web::LoginFormName(0x1A2B), "FPLF0000000000001A2B");
  EXPECT_EQ(web::LoginFormName(0xFFFFFFFFu), "FPLF00000000FFFFFFFF");
  EXPECT_EQ(web::SecondsBetween(45000.5, 45000.5 + 11.9 / 86400), 11);
  EXPECT_EQ(web::SecondsBetween(45000.5 + 11.9 / 86400, 45000.5), 11);
  const double now = web::DateTimeNow();
  EXPECT_GT(now, 45000.0);  // after 2023
  EXPECT_LT(now, 80000.0);
}

TEST_F(AutoLoginTest, AutomaticLoginFillsAndSubmitsExactValues) {
  auto& s = host.addSite("AUTO1/LOGIN", store::kLoginAutomatic, "userid", "kim@example.com", "passwd",
                         "q\"u'o\\te`${x}</form> 비밀번호");
  auto page = show("/auto1/login.html", loginPage("auto1", "email"));
  EXPECT_EQ(loginOn(page), web::kSiteHandled);
  auto sent = nextSubmission();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->path, "/action/auto1");
  EXPECT_EQ(sent->field("userid"), "kim@example.com");
  EXPECT_EQ(sent->field("passwd"), s.PW_Value);
  EXPECT_EQ(sent->field("q"), "");
  EXPECT_GT(s.LastAutoLogin, 0);
  EXPECT_EQ(host.lastAddress, "HTTP://127.0.0.1:" + std::to_string(server().port()) + "/AUTO1/LOGIN.HTML");
}

TEST_F(AutoLoginTest, WithinTheRetryTimeThePageIsFilledButNotSubmitted) {
  auto& s = host.addSite("RETRY/LOGIN", store::kLoginAutomatic, "userid", "lee", "passwd", "pw");
  host.retryTime = 10;
  auto page = show("/retry/login.html", loginPage("retry"));
  ASSERT_EQ(loginOn(page), web::kSiteHandled);
  ASSERT_TRUE(nextSubmission());
  const double first = s.LastAutoLogin;

  page = webtest::load(server().url("/retry/login.html"));
  ++seen_;
  ASSERT_EQ(loginOn(page), web::kSiteHandled);
  EXPECT_EQ(eval(page, "document.getElementsByName('passwd')[0].value"), "pw");
  EXPECT_FALSE(nextSubmission(800ms));
  EXPECT_EQ(s.LastAutoLogin, first);

  s.LastAutoLogin = web::DateTimeNow() - 11.5 / 86400;  // the retry time has passed
  page = webtest::load(server().url("/retry/login.html"));
  ASSERT_EQ(loginOn(page), web::kSiteHandled);
  EXPECT_TRUE(nextSubmission());
  EXPECT_GT(s.LastAutoLogin, first);
}

TEST_F(AutoLoginTest, ManualLoginDoesNothing) {
  host.addSite("MANUAL/", store::kLoginManual, "userid", "a", "passwd", "b");
  auto page = show("/manual/login.html", loginPage("manual"));
  EXPECT_EQ(loginOn(page), web::kSiteHandled);
  EXPECT_EQ(eval(page, "document.getElementsByName('passwd')[0].value"), "");
  EXPECT_FALSE(nextSubmission(500ms));
  EXPECT_FALSE(host.lastAddress.empty());
}

TEST_F(AutoLoginTest, ConfirmationAndFingerprintLoginsGoThroughTheirWindows) {
  auto& confirm = host.addSite("CONFIRM/", store::kLoginAfterConfirmation, "userid", "park", "passwd", "c-pw");
  auto page = show("/confirm/login.html", loginPage("confirm"));
  EXPECT_EQ(loginOn(page), web::kSiteHandled);
  ASSERT_EQ(host.confirmLogins.size(), 1u);
  EXPECT_EQ(host.confirmFreed, 1);
  const web::PendingLogin& c = host.confirmLogins.front();
  EXPECT_EQ(c.browser, page);
  EXPECT_EQ(c.browserWindow, page->handle());
  EXPECT_EQ(c.formName, web::LoginFormName(page->handle()));
  EXPECT_EQ(c.site, &confirm);
  EXPECT_EQ(c.siteId, confirm.ID());
  ASSERT_TRUE(c.bounds);
  EXPECT_GT(c.bounds->width, 0);
  EXPECT_TRUE(c.frame.isTop());
  EXPECT_EQ(eval(page, "document.getElementsByName('passwd')[0].value"), "");
  EXPECT_FALSE(nextSubmission(300ms));
  // The user confirms: the window fills and submits.
  web::FillAndSubmit(c.browser, c.frame, *c.site);
  auto sent = nextSubmission();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->field("userid"), "park");
  EXPECT_EQ(sent->field("passwd"), "c-pw");
  ++seen_;

  host.addSite("FINGER/", store::kLoginWithFingerprint, "userid", "choi", "passwd", "f-pw");
  page = show("/finger/login.html", loginPage("finger"));
  EXPECT_EQ(loginOn(page), web::kSiteHandled);
  ASSERT_EQ(host.fingerprintLogins.size(), 1u);
  EXPECT_EQ(host.fingerprintFreed, 1);
  const web::PendingLogin& f = host.fingerprintLogins.front();
  EXPECT_EQ(f.pageTitle, "Login finger");
  EXPECT_EQ(f.formName, web::LoginFormName(page->handle()));
  web::FillAndSubmit(f.browser, f.frame, *f.site);
  sent = nextSubmission();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->field("passwd"), "f-pw");
}

TEST_F(AutoLoginTest, FieldsMissingGiveMinusFourAndFreeTheOldWindow) {
  host.addSite("MISSING/", store::kLoginAfterConfirmation, "login_id", "a", "login_pw", "b");
  auto page = show("/missing/login.html", loginPage("missing"));
  EXPECT_EQ(loginOn(page), web::kFieldsNotFound);
  EXPECT_EQ(host.confirmFreed, 1);
  EXPECT_TRUE(host.confirmLogins.empty());
}

TEST_F(AutoLoginTest, ScriptSitesAreNeverMatchedAndLaterSitesWin) {
  host.addSite("ORDER/", store::kLoginAutomatic, "userid", "first", "passwd", "1");
  host.addSite("ORDER/LOGIN", store::kLoginAutomatic, "userid", "second", "passwd", "2");
  host.addSite("ORDER/LOGIN.HTML", store::kLoginByScript, "userid", "script", "passwd", "3");
  auto page = show("/order/login.html", loginPage("order"));
  EXPECT_EQ(loginOn(page), web::kSiteHandled);
  auto sent = nextSubmission();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->field("userid"), "second");

  webtest::TestLoginHost onlyScript;
  onlyScript.addSite("ORDER/", store::kLoginByScript, "userid", "script", "passwd", "3");
  web::AutoLogin scriptOnly(webtest::browser(), onlyScript);
  page = webtest::load(server().url("/order/login.html"));
  int code = 99;
  scriptOnly.AutoLoginOnPage(page, page->handle(), code);
  EXPECT_EQ(code, web::kNoSiteMatched);
  EXPECT_TRUE(onlyScript.lastAddress.empty());
}

TEST_F(AutoLoginTest, AKeywordInTheQueryOrUserNameNoLongerFills) {
  host.addSite("SAFEBANK", store::kLoginAutomatic, "userid", "victim", "passwd", "secret");
  auto page = show("/evil/login.html", loginPage("evil"));
  page = webtest::load(server().url("/evil/login.html?next=SAFEBANK#SAFEBANK"));
  EXPECT_EQ(loginOn(page), web::kNoSiteMatched);
  EXPECT_EQ(eval(page, "document.getElementsByName('passwd')[0].value"), "");
  page = webtest::load("http://SAFEBANK@127.0.0.1:" + std::to_string(server().port()) + "/evil/login.html");
  EXPECT_EQ(loginOn(page), web::kNoSiteMatched);
  EXPECT_EQ(eval(page, "document.getElementsByName('passwd')[0].value"), "");
  EXPECT_FALSE(nextSubmission(300ms));
}

TEST_F(AutoLoginTest, TheIdNameIsLearnedByPosition) {
  auto& s = host.addSite("LEARN/", store::kLoginAutomatic, "", "jung", "", "pw");
  s.ID_FormName = "f";
  auto page = show("/learn/login.html", loginPage("learn"));
  EXPECT_EQ(loginOn(page), web::kSiteHandled);
  EXPECT_EQ(s.ID_Name, "userid");
  EXPECT_EQ(s.PW_Name, "passwd");
  EXPECT_EQ(s.ID_FormName, "");
  auto sent = nextSubmission();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->field("userid"), "jung");
  EXPECT_EQ(sent->field("passwd"), "pw");
}

TEST_F(AutoLoginTest, LoginFormsInAFramesetAndInACrossSiteFrame) {
  host.addSite("FRAMED/", store::kLoginAutomatic, "userid", "han", "passwd", "pw1");
  server().setPage("/framed/inner.html", loginPage("framed"));
  server().setPage("/framed/top.html",
                   "<html><head><title>Framed</title></head><frameset rows='20%,80%'>"
                   "<frame name=head src='/pages/blank.html'><frame name=body src='/framed/inner.html'></frameset>"
                   "</html>");
  auto page = webtest::load(server().url("/framed/top.html"));
  EXPECT_EQ(loginOn(page), web::kSiteHandled);
  auto sent = nextSubmission();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->field("userid"), "han");
  ++seen_;

  host.addSite("CROSSED/", store::kLoginAutomatic, "userid", "yoon", "passwd", "pw2");
  server().setPage("/crossed/top.html",
                   "<html><head><title>Crossed</title></head><body><p>Welcome</p>"
                   "<iframe name=auth src='{{CROSS}}/crossed/inner.html'></iframe></body></html>");
  server().setPage("/crossed/inner.html", loginPage("crossed"));
  page = webtest::load(server().url("/crossed/top.html"));
  EXPECT_EQ(loginOn(page), web::kSiteHandled);
  sent = nextSubmission();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->port, server().crossPort());
  EXPECT_EQ(sent->field("userid"), "yoon");
  EXPECT_EQ(sent->field("passwd"), "pw2");
}

TEST_F(AutoLoginTest, AFormAddedAfterLoadIsFoundWhenItIsThere) {
  host.addSite("LATE/", store::kLoginAutomatic, "userid", "oh", "passwd", "late-pw");
  std::string escaped;
  for (char c : loginForm("late")) escaped += c == '\n' ? ' ' : c;
  auto page = show("/late/login.html",
                   "<!DOCTYPE html><html><head><title>Late</title></head><body><div id=app></div><script>"
                   "window.addEventListener('load', () => setTimeout(() => {"
                   "document.getElementById('app').innerHTML = `" +
                       escaped + "`; }, 300));</script></body></html>");
  EXPECT_EQ(loginOn(page), web::kFieldsNotFound);
  ASSERT_TRUE(webtest::browser().waitUntil(
      [&] { return eval(page, "document.getElementsByName('passwd').length") == "1"; }, 5s));
  EXPECT_EQ(loginOn(page), web::kSiteHandled);
  auto sent = nextSubmission();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->field("passwd"), "late-pw");
}

TEST_F(AutoLoginTest, APageWithoutAnHtmlDocumentMatchesNothing) {
  host.addSite("DATA", store::kLoginAutomatic, "userid", "a", "passwd", "b");
  server().setPage("/data/list.json", "[1, 2]");
  auto page = webtest::load(server().url("/data/list.json"));
  EXPECT_EQ(loginOn(page), web::kNoSiteMatched);
  EXPECT_TRUE(host.lastAddress.empty());
}

TEST_F(AutoLoginTest, LoginOnBrowserWindowOffersUnregisteredPages) {
  auto page = show("/unregistered/login.html", loginPage("unregistered"));
  engine.LoginOnBrowserWindow(page->handle());
  ASSERT_EQ(host.offers.size(), 1u);
  EXPECT_EQ(host.offers.front(), page->handle());
  host.registrationOpen = true;
  engine.LoginOnBrowserWindow(page->handle());
  EXPECT_EQ(host.offers.size(), 1u);
  host.registrationOpen = false;
  host.isLoggedIn = false;
  engine.LoginOnBrowserWindow(page->handle());
  EXPECT_EQ(host.offers.size(), 1u);
  host.isLoggedIn = true;
  engine.LoginOnBrowserWindow(0xFFFFFFF0u);  // no such window
  EXPECT_EQ(host.offers.size(), 1u);
}

TEST_F(AutoLoginTest, ALoginRequestMatchesTheTopPageWithOrWithoutTrailingSlash) {
  auto& s = host.addSite("REQUEST/", store::kLoginAutomatic, "userid", "seo", "passwd", "req-pw");
  auto page = show("/request/", loginPage("request"));
  page->bringToFront();
  setRequestedAddress(server().url("/request"));
  engine.LoginRequest();
  auto sent = nextSubmission();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->field("passwd"), "req-pw");
  ASSERT_EQ(host.droppedForms.size(), 1u);
  EXPECT_EQ(host.droppedForms.front(), page->handle());
  // The value is taken: it serves one request.
  platform::Registry registry(platform::Registry::CurrentUser);
  EXPECT_TRUE(registry.openKey("\\Software\\Veradynics\\Lockmere").value().readString("LastAddSiteURL").isNotFound());
  ++seen_;

  page = show("/request/login.html", loginPage("request"));
  page->bringToFront();
  host.lastAddress.clear();
  s.LastAutoLogin = 0;  // not within the retry time
  setRequestedAddress(server().url("/request/login.html/"));
  engine.LoginRequest();
  EXPECT_TRUE(nextSubmission());
}

TEST_F(AutoLoginTest, ALoginRequestForAnotherPageIsIgnored) {
  host.addSite("REQUEST2/", store::kLoginAutomatic, "userid", "a", "passwd", "b");
  auto page = show("/request2/login.html", loginPage("request2"));
  page->bringToFront();
  setRequestedAddress(server().url("/request2/other.html"));
  engine.LoginRequest();
  EXPECT_TRUE(host.droppedForms.empty());
  EXPECT_TRUE(host.offers.empty());
  EXPECT_FALSE(page->dialogOpen());
  EXPECT_EQ(eval(page, "document.getElementsByName('passwd')[0].value"), "");
}

TEST_F(AutoLoginTest, ALoginRequestThatCannotBeDoneSaysWhyInThePage) {
  host.addSite("NOFIELDS/", store::kLoginAutomatic, "nope", "a", "nope_pw", "b");
  auto page = show("/nofields/login.html", loginPage("nofields"));
  page->bringToFront();
  setRequestedAddress(server().url("/nofields/login.html"));
  engine.LoginRequest();
  ASSERT_TRUE(webtest::browser().waitUntil([&] { return page->dialogOpen(); }, 5s));
  EXPECT_EQ(page->dialogMessage(), (texts::M(38) + "\n\n" + texts::M(37)).toStdString());
  EXPECT_EQ(host.lastAddress, "HTTP://127.0.0.1:" + std::to_string(server().port()) + "/NOFIELDS/LOGIN.HTML");

  page->answerDialog(true);

  // An unregistered page without a login form.
  page = show("/noform/page.html", "<html><head><title>x</title></head><body>no form</body></html>");
  page->bringToFront();
  host.offerResult = -2;
  setRequestedAddress(server().url("/noform/page.html"));
  engine.LoginRequest();
  ASSERT_EQ(host.offers.size(), 1u);
  ASSERT_TRUE(webtest::browser().waitUntil([&] { return page->dialogOpen(); }, 5s));
  EXPECT_EQ(page->dialogMessage(), (texts::M(38) + "\n\n" + texts::M(39)).toStdString());
  page->answerDialog(true);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(AutoLoginTest, WhenThePageCannotShowTheAlertAMessageBoxDoes) {
  auto page = webtest::browser().openWindow(server().url("/pages/blank.html"));
  ASSERT_TRUE(webtest::waitForLoad(*page, 0));
  page->bringToFront();
  host.offerResult = -2;
  host.duringOffer = [&] { page->close(); };
  setRequestedAddress(server().url("/pages/blank.html"));
  engine.LoginRequest();
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages.front(), texts::M(38) + "\r\n\r\n" + texts::M(39));
}

TEST_F(AutoLoginTest, ARepeatedRequestRaisesTheOpenConfirmationWindow) {
  host.addSite("REPEAT/", store::kLoginAfterConfirmation, "userid", "a", "passwd", "b");
  auto page = show("/repeat/login.html", loginPage("repeat"));
  page->bringToFront();
  setRequestedAddress(server().url("/repeat/login.html"));
  engine.LoginRequest();
  ASSERT_EQ(host.confirmLogins.size(), 1u);
  setRequestedAddress(server().url("/repeat/login.html?again=1"));
  engine.LoginRequest();
  EXPECT_EQ(host.confirmRaised, 1);
  EXPECT_EQ(host.confirmLogins.size(), 1u);
  EXPECT_EQ(host.droppedForms.size(), 1u);
}

// Two-step logins: the ID on one page, the password on the next.

TEST(SecondStep, IsArmedForItsSiteAndForAWhile) {
  web::SecondStep step(7);
  const auto now = web::SecondStep::Clock::now();
  EXPECT_FALSE(step.armedFor(7, now));  // not before the ID is submitted
  step.arm();
  EXPECT_TRUE(step.armedFor(7));
  EXPECT_FALSE(step.armedFor(8));
  EXPECT_FALSE(
      step.armedFor(7, web::SecondStep::Clock::now() + web::SecondStep::kPasswordPageWithin + std::chrono::seconds(1)));
  web::TwoStepLogins steps;
  steps.begin(1, 7)->arm();
  EXPECT_TRUE(steps.armed(1, 7));
  EXPECT_FALSE(steps.armed(2, 7));
  auto unconfirmed = steps.begin(1, 7);  // a new first step replaces the window's last
  EXPECT_FALSE(steps.armed(1, 7));
  unconfirmed->arm();
  EXPECT_TRUE(steps.armed(1, 7));
  steps.finish(1);
  EXPECT_FALSE(steps.armed(1, 7));
}

namespace {

// A site's two pages: the ID page posts to the password page, which posts to
// /action/<name>.
void twoStepPages(const std::string& name) {
  server().setPage("/" + name + "/id.html",
                   "<html><head><title>Sign in</title></head><body><form method=post action='/" + name +
                       "/password.html'><input type=email name=identifier autocomplete=username>"
                       "<button>Next</button></form></body></html>");
  server().setPage("/" + name + "/password.html",
                   "<html><head><title>Sign in</title></head><body><p>kim@example.com</p><form method=post "
                   "action='/action/" +
                       name + "'><input type=password name=Passwd><button>Sign in</button></form></body></html>");
}

}  // namespace

TEST_F(AutoLoginTest, ATwoStepLoginFillsTheIdAndThenThePassword) {
  auto& s = host.addSite("TWOSTEP/", store::kLoginAutomatic, "identifier", "kim@example.com", "Passwd", "two-pw");
  twoStepPages("twostep");
  auto page = webtest::load(server().url("/twostep/id.html"));
  const std::size_t before = server().requests().size();
  const int loads = page->loadCount();
  EXPECT_EQ(loginOn(page), web::kSiteHandled);
  ASSERT_TRUE(webtest::waitForLoad(*page, loads));
  const auto id = server().waitForRequest("/twostep/password.html", before, 5s);
  ASSERT_TRUE(id);
  EXPECT_EQ(id->field("identifier"), "kim@example.com");
  EXPECT_FALSE(id->hasField("Passwd"));
  // The password page, as the add-on reports it.
  EXPECT_EQ(loginOn(page), web::kSiteHandled);
  auto sent = nextSubmission();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->field("Passwd"), "two-pw");
  ++seen_;

  // Once only: the password page coming back (a wrong password) is left alone.
  page = webtest::load(server().url("/twostep/password.html"));
  EXPECT_EQ(loginOn(page), web::kFieldsNotFound);
  EXPECT_EQ(eval(page, "document.getElementsByName('Passwd')[0].value"), "");
  // The ID page again within the retry time: filled, not submitted, and its
  // password page is then not filled either.
  page = webtest::load(server().url("/twostep/id.html"));
  EXPECT_EQ(loginOn(page), web::kSiteHandled);
  EXPECT_EQ(eval(page, "document.getElementsByName('identifier')[0].value"), "kim@example.com");
  page = webtest::load(server().url("/twostep/password.html"));
  EXPECT_EQ(loginOn(page), web::kFieldsNotFound);
  EXPECT_FALSE(nextSubmission(300ms));
  EXPECT_GT(s.LastAutoLogin, 0);
}

TEST_F(AutoLoginTest, ATwoStepLoginAsksTheConfirmationAndFingerprintWindowsOnce) {
  for (const std::uint8_t type : {store::kLoginAfterConfirmation, store::kLoginWithFingerprint}) {
    SCOPED_TRACE(int(type));
    webtest::TestLoginHost h;
    web::AutoLogin engine2(webtest::browser(), h);
    const std::string name = "asked" + std::to_string(type);
    auto& s = h.addSite(upperName(name), type, "identifier", "lee@example.com", "Passwd", "pw-" + name);
    twoStepPages(name);
    auto page = webtest::load(server().url("/" + name + "/id.html"));
    int code = 99;
    engine2.AutoLoginOnPage(page, page->handle(), code);
    EXPECT_EQ(code, web::kSiteHandled);
    const auto& asked = type == store::kLoginAfterConfirmation ? h.confirmLogins : h.fingerprintLogins;
    ASSERT_EQ(asked.size(), 1u);
    ASSERT_TRUE(asked.front().secondStep);
    EXPECT_EQ(eval(page, "document.getElementsByName('identifier')[0].value"), "");  // nothing before the user

    // The user is confirmed: the window fills and submits the ID's page ...
    const std::size_t before = server().requests().size();
    const int loads = page->loadCount();
    web::FillAndSubmit(asked.front(), s);
    ASSERT_TRUE(webtest::waitForLoad(*page, loads));
    ASSERT_TRUE(server().waitForRequest("/" + name + "/password.html", before, 5s));
    // ... and the password page follows without a second window.
    engine2.AutoLoginOnPage(page, page->handle(), code);
    EXPECT_EQ(code, web::kSiteHandled);
    EXPECT_EQ(asked.size(), 1u);
    const auto sent = server().waitForRequest("/action/" + name, before, 5s);
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->field("Passwd"), "pw-" + name);
  }
}

TEST_F(AutoLoginTest, APasswordPageWithoutItsIdStepIsNotFilled) {
  // The user typed the ID and went on without the confirmation window.
  host.addSite("UNASKED/", store::kLoginAfterConfirmation, "identifier", "a@example.com", "Passwd", "never");
  twoStepPages("unasked");
  auto page = webtest::load(server().url("/unasked/id.html"));
  EXPECT_EQ(loginOn(page), web::kSiteHandled);
  ASSERT_EQ(host.confirmLogins.size(), 1u);
  page = webtest::load(server().url("/unasked/password.html"));
  EXPECT_EQ(loginOn(page), web::kFieldsNotFound);
  EXPECT_EQ(host.confirmLogins.size(), 1u);
  EXPECT_EQ(eval(page, "document.getElementsByName('Passwd')[0].value"), "");
}
