#include <gtest/gtest.h>

#include <chrono>

#include "lockmere/web/FieldKeys.h"
#include "lockmere/web/PageAccess.h"
#include "lockmere/web/cdp/AutomationError.h"
#include "tests/web/support/WebTestEnv.h"

using namespace std::chrono_literals;
using webtest::eval;
using webtest::server;

namespace {

std::shared_ptr<cdp::PageTarget> show(const std::string& path, const std::string& body,
                                      const std::string& title = "Test") {
  server().setPage(path, "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
                             "</title></head><body>" + body + "</body></html>");
  return webtest::load(server().url(path));
}

web::Document documentOf(const cdp::Frame& frame) {
  std::optional<web::Document> d;
  web::GetDocumentOfWindow(frame, d);
  if (!d) throw std::runtime_error("no document");
  return *d;
}

store::TRegSiteCollItem site(const std::string& idName, const std::string& pwName) {
  store::TRegSiteCollItem s;
  s.ID_Name = idName;
  s.PW_Name = pwName;
  return s;
}

}  // namespace

TEST(Documents, HtmlPagesHaveADocumentOthersNot) {
  auto page = show("/t/doc.html", "<p>x</p>");
  std::optional<web::Document> d;
  web::GetDocumentOfWindow(page->mainFrame(), d);
  EXPECT_TRUE(d.has_value());
  server().setPage("/t/data.json", "{\"a\": 1}");
  page = webtest::load(server().url("/t/data.json"));
  web::GetDocumentOfWindow(page->mainFrame(), d);
  EXPECT_FALSE(d.has_value());
}

TEST(Fields, SetFieldValueFillsExactlyAndTellsThePage) {
  auto page = show("/t/fields.html", R"(
    <form><input name="id"><input type="hidden" name="id" value="keep"><input type="email" name="id">
    <input type="password" name="pw"></form>
    <script>
      // A page that keeps its own copy of the value, as component libraries do:
      // only the input event tells it about a value set through the native setter.
      window.seen = [];
      const pw = document.getElementsByName('pw')[0];
      let tracked = '';
      Object.defineProperty(pw, 'value', {
        get() { return Object.getOwnPropertyDescriptor(HTMLInputElement.prototype, 'value').get.call(this); },
        set(v) { tracked = 'set by script'; Object.getOwnPropertyDescriptor(HTMLInputElement.prototype, 'value').set.call(this, v); }
      });
      pw.addEventListener('input', (e) => window.seen.push('input:' + e.target.value + ':' + tracked));
      pw.addEventListener('change', (e) => window.seen.push('change'));
    </script>)");
  const web::Document d = documentOf(page->mainFrame());
  // (A single-line field drops line breaks by itself.)
  const std::string value = "p'a\"s\\s</script>\t${x} 비밀";
  EXPECT_TRUE(web::SetFieldValue(d, "pw", value));
  EXPECT_EQ(eval(page, "document.getElementsByName('pw')[0].value"), value);
  EXPECT_EQ(eval(page, "seen.join('|')"), "input:" + value + ":|change");

  EXPECT_TRUE(web::SetFieldValue(d, "id", "kim"));
  EXPECT_EQ(eval(page, "Array.from(document.getElementsByName('id'), e => e.value).join(',')"), "kim,keep,kim");
  EXPECT_FALSE(web::SetFieldValue(d, "nothing", "x"));
  EXPECT_TRUE(web::HasElementNamed(d, "pw"));
  EXPECT_FALSE(web::HasElementNamed(d, "nothing"));
}

TEST(Fields, FocusFieldTakesTheBlurHandlerAwayAndMatchesTheType) {
  auto page = show("/t/focus.html", R"(
    <input type="text" name="f" id="a"><input type="password" name="f" id="b" onblur="document.title = 'blurred'">
    <input name="other">)");
  const web::Document d = documentOf(page->mainFrame());
  EXPECT_TRUE(web::FocusField(d, "f", "PASSWORD"));
  EXPECT_EQ(eval(page, "document.activeElement.id"), "b");
  eval(page, "document.getElementsByName('other')[0].focus(); 1");
  EXPECT_EQ(eval(page, "document.title"), "Test");
  EXPECT_FALSE(web::FocusField(d, "f", "CHECKBOX"));
  EXPECT_FALSE(web::FocusField(d, "none", "TEXT"));
}

TEST(Frames, SiteNamesAreFoundInAFramesetFrameAndTheTopIsLeftAlone) {
  server().setPage("/t/fs-menu.html", "<html><body><a href=#>menu</a><input name=userid></body></html>");
  server().setPage("/t/fs-login.html",
                   "<html><body><form><input name=userid><input type=password name=passwd></form></body></html>");
  server().setPage("/t/fs.html",
                   "<html><head><title>Frameset</title></head><frameset cols='30%,70%'>"
                   "<frame name=menu src='/t/fs-menu.html'><frame name=main src='/t/fs-login.html'></frameset></html>");
  auto page = webtest::load(server().url("/t/fs.html"));
  std::optional<cdp::Frame> frame;
  ASSERT_TRUE(web::FindFrameBySiteNames(page->mainFrame(), site("userid", "passwd"), frame));
  EXPECT_EQ(frame->call("function() { return window.name; }").toString(), "main");
  EXPECT_FALSE(web::FindFrameBySiteNames(page->mainFrame(), site("userid", "nopw"), frame));
}

TEST(Frames, SiteNamesAreFoundInACrossSiteFrame) {
  auto page = webtest::load(server().url("/pages/frames.html"));
  std::optional<cdp::Frame> frame;
  ASSERT_TRUE(web::FindFrameBySiteNames(page->mainFrame(), site("userid", "passwd"), frame));
  EXPECT_EQ(frame->call("function() { return location.href; }").toString().toStdString(),
            server().crossUrl("/pages/login.html"));
}

TEST(Frames, ACrossSiteFrameInsideACrossSiteFrameIsReached) {
  server().setPage("/t/outer.html", "<html><body><iframe name=a src='{{CROSS}}/t/middle.html'></iframe></body></html>");
  server().setPage("/t/middle.html",
                   "<html><body><iframe name=b src='{{SAME}}/pages/login.html'></iframe></body></html>");
  auto page = webtest::load(server().url("/t/outer.html"));
  std::optional<cdp::Frame> frame;
  ASSERT_TRUE(webtest::browser().waitUntil(
      [&] { return web::FindFrameBySiteNames(page->mainFrame(), site("userid", "passwd"), frame); }, 5s));
  EXPECT_EQ(frame->call("function() { return window.name; }").toString(), "b");
  EXPECT_NE(frame->sessionId(), page->sessionId());
  const auto middle = page->mainFrame().childFrames();
  ASSERT_EQ(middle.size(), 1u);
  EXPECT_NE(frame->sessionId(), middle[0].sessionId());
}

TEST(Frames, PositionFindsTheFirstPasswordFieldAndLearnsTheIdName) {
  auto page = show("/t/pos.html", R"(
    <form><input type="text" name="search"><input type="checkbox" name="keep">
    <input type="email" name="mail"><input type="hidden" name="token">
    <input type="password" name="pw1"><input type="text" name="after"><input type="password" name="pw2"></form>)");
  store::TRegSiteCollItem s;
  s.ID_FormName = "old";
  s.PW_FormName = "old";
  std::optional<cdp::Frame> frame;
  ASSERT_TRUE(web::FindFrameByPosition(page->mainFrame(), frame, s));
  EXPECT_TRUE(frame->isTop());
  EXPECT_EQ(s.PW_Name, "pw1");
  EXPECT_EQ(s.ID_Name, "mail");  // an e-mail field counts as a text field
  EXPECT_EQ(s.ID_FormName, "");
  EXPECT_EQ(s.PW_FormName, "");
}

TEST(Frames, PositionWithoutATextFieldBeforeThePasswordKeepsTheIdNameAndSearchesFrames) {
  auto page = show("/t/pos2.html", R"(<form><input type="password" name="pin"><input name="after"></form>)");
  store::TRegSiteCollItem s;
  std::optional<cdp::Frame> frame;
  ASSERT_TRUE(web::FindFrameByPosition(page->mainFrame(), frame, s));
  EXPECT_EQ(s.PW_Name, "pin");
  EXPECT_EQ(s.ID_Name, "");

  page = webtest::load(server().url("/pages/frames.html"));
  store::TRegSiteCollItem t;
  ASSERT_TRUE(web::FindFrameByPosition(page->mainFrame(), frame, t));
  EXPECT_FALSE(frame->isTop());
  EXPECT_EQ(t.ID_Name, "userid");
  EXPECT_EQ(t.PW_Name, "passwd");
}

TEST(Fill, FillsIdExtrasAndPasswordAndLeavesTheFocusInThePassword) {
  auto page = show("/t/fill.html", R"(
    <form><input name="user"><input name="branch"><input type="password" name="pin2">
    <select name="bank"><option value="a">Alpha</option><option value="b">Beta "B"</option></select>
    <input type="checkbox" name="remember"><input type="password" name="pw"></form>)");
  store::TRegSiteCollItem s = site("user", "pw");
  s.ID_Value = "kim";
  s.PW_Value = "se\"cr'et\\";
  auto& branch = s.ExtraItems.add();
  branch.Name = "branch";
  branch.Type_ = "TEXT";
  branch.Value = "Seoul";
  auto& pin = s.ExtraItems.add();
  pin.Name = "pin2";
  pin.Type_ = "PASSWORD";
  pin.Value = "1234";
  auto& bank = s.ExtraItems.add();
  bank.Name = "bank";
  bank.Type_ = "SELECT-ONE";
  bank.Value = "Beta \"B\"";
  auto& remember = s.ExtraItems.add();
  remember.Name = "remember";
  remember.Type_ = "CHECKBOX";
  remember.Value = "never";
  web::FillLoginPage(page->mainFrame(), s);
  EXPECT_EQ(eval(page, "document.getElementsByName('user')[0].value"), "kim");
  EXPECT_EQ(eval(page, "document.getElementsByName('branch')[0].value"), "Seoul");
  EXPECT_EQ(eval(page, "document.getElementsByName('pin2')[0].value"), "1234");
  EXPECT_EQ(eval(page, "document.getElementsByName('bank')[0].value"), "b");
  EXPECT_EQ(eval(page, "document.getElementsByName('remember')[0].value"), "on");
  EXPECT_EQ(eval(page, "document.getElementsByName('pw')[0].value"), s.PW_Value);
  EXPECT_EQ(eval(page, "document.activeElement.name"), "pw");
}

TEST(Fill, ADropDownValueMatchingNoOptionSelectsNothingAndTheFillGoesOn) {
  auto page = show("/t/fill2.html", R"(
    <form><input name="user"><select name="kind"><option>Personal</option><option>Business</option></select>
    <input type="password" name="pw"></form>)");
  store::TRegSiteCollItem s = site("user", "pw");
  s.PW_Value = "x";
  for (const char* v : {"Nothing like it", "'); document.title = 'owned'; ('", "\"); document.title = 'owned'; (\""}) {
    auto& kind = s.ExtraItems.add();
    kind.Name = "kind";
    kind.Type_ = "SELECT-ONE";
    kind.Value = v;
  }
  web::FillLoginPage(page->mainFrame(), s);
  EXPECT_EQ(eval(page, "document.getElementsByName('kind')[0].selectedIndex"), "0");
  EXPECT_EQ(eval(page, "document.title"), "Test");
  EXPECT_EQ(eval(page, "document.getElementsByName('pw')[0].value"), "x");
}

TEST(Fill, WithoutAPasswordFieldTheFocusGoesToTheIdField) {
  auto page = show("/t/fill3.html", R"(<form><input type="tel" name="phone"><input name="code"></form>)");
  store::TRegSiteCollItem s = site("phone", "pw");
  s.ID_Value = "010";
  web::FillLoginPage(page->mainFrame(), s);
  EXPECT_EQ(eval(page, "document.activeElement.name"), "phone");
  EXPECT_EQ(eval(page, "document.getElementsByName('phone')[0].value"), "010");
}

TEST(Browsers, TopBrowserAndHandlesAndCloseAll) {
  cdp::Browser& b = webtest::browser();
  auto page = webtest::load(server().url("/pages/blank.html"));
  web::BrowserRef found;
  ASSERT_TRUE(web::GetBrowserFromServerWindow(b, page->handle(), found));
  EXPECT_EQ(found, page);
  EXPECT_FALSE(web::GetBrowserFromServerWindow(b, 0xFFFFFFF0u, found));

  auto other = b.openWindow(server().url("/pages/login.html"));
  ASSERT_TRUE(webtest::waitForLoad(*other, 0));
  other->bringToFront();
  platform::WindowHandle window = 0;
  ASSERT_TRUE(web::FindTopBrowser(b, found, window));
  EXPECT_EQ(found, other);
  EXPECT_EQ(window, other->handle());

  web::CloseAllBrowserWindows(b);
  EXPECT_TRUE(b.waitUntil([&] { return b.windows().empty(); }, 5s));
  EXPECT_FALSE(web::FindTopBrowser(b, found, window));
  EXPECT_TRUE(page->isClosed());
}

TEST(Browsers, NothingStartsTheBrowserButANewWindow) {
  cdp::Browser idle(cdp::LaunchOptions::fromEnvironment());
  web::BrowserRef found;
  platform::WindowHandle window = 0;
  EXPECT_FALSE(web::FindTopBrowser(idle, found, window));
  EXPECT_FALSE(web::GetBrowserFromServerWindow(idle, 1, found));
  web::CloseAllBrowserWindows(idle);
  EXPECT_FALSE(idle.isRunning());
}

// Today's pages: where the design's names find nothing.

TEST(FieldsToday, KeysReachShadowRootsAndIdsOnlyWhereNoElementHasTheName) {
  auto page = show("/t/keys.html", R"(
    <div id="host"></div><input id="user"><input id="pin" type="password">
    <input name="twin"><input id="twin">
    <script>
      const root = document.getElementById('host').attachShadow({ mode: 'open' });
      root.innerHTML = '<input name="deep"><input type="password" name="deeppw">';
      // A page whose name is written like an id key: the name wins.
      const odd = document.createElement('input');
      odd.setAttribute('name', '\r#pin');
      document.body.appendChild(odd);
    </script>)");
  const web::Document d = documentOf(page->mainFrame());
  const auto value = [&](const std::string& expression) { return eval(page, expression); };
  const std::string deep = "document.getElementById('host').shadowRoot.querySelector";

  EXPECT_TRUE(web::SetFieldValue(d, "deep", "in the shadow"));
  EXPECT_EQ(value(deep + "('[name=deep]').value"), "in the shadow");
  EXPECT_TRUE(web::FocusField(d, "deeppw", "PASSWORD"));
  EXPECT_EQ(value(deep + "('[name=deeppw]') === document.getElementById('host').shadowRoot.activeElement"), "true");

  EXPECT_TRUE(web::SetFieldValue(d, web::IdKey("user"), "kim"));
  EXPECT_EQ(value("document.getElementById('user').value"), "kim");
  EXPECT_TRUE(web::FocusField(d, web::IdKey("user"), "TEXT"));
  EXPECT_EQ(value("document.activeElement.id"), "user");

  EXPECT_TRUE(web::SetFieldValue(d, web::IdKey("pin"), "1234"));
  EXPECT_EQ(value("document.getElementsByName('\\r#pin')[0].value"), "1234");
  EXPECT_EQ(value("document.getElementById('pin').value"), "");

  // An id key never reaches a field that has a name, even under that id.
  EXPECT_TRUE(web::SetFieldValue(d, web::IdKey("twin"), "x"));
  EXPECT_EQ(value("document.getElementsByName('twin')[0].value"), "");
  EXPECT_FALSE(web::SetFieldValue(d, web::IdKey("nothing"), "x"));
  EXPECT_FALSE(web::HasElementNamed(d, "deep"));  // the design's own test is unchanged
}

TEST(FieldsToday, OfALoginFormAndASignUpFormWithTheSameNamesOnlyTheLoginFormIsFilled) {
  const std::string forms = R"(
    <form id="join"><input name="email"><input type="password" name="password" autocomplete="new-password">
    <input type="password" name="password2" autocomplete="new-password"></form>
    <form id="login"><input name="email"><input type="password" name="password"></form>)";
  auto page = show("/t/shared.html", forms);
  const web::Document d = documentOf(page->mainFrame());
  EXPECT_TRUE(web::SetFieldValue(d, "email", "kim"));
  EXPECT_TRUE(web::SetFieldValue(d, "password", "secret"));
  EXPECT_TRUE(web::FocusField(d, "password", "PASSWORD"));
  EXPECT_EQ(eval(page, "document.activeElement.form.id"), "login");
  EXPECT_EQ(eval(page, "Array.from(document.getElementsByName('password'), e => e.value).join(',')"), ",secret");
  EXPECT_EQ(eval(page, "Array.from(document.getElementsByName('email'), e => e.value).join(',')"), ",kim");

  // A sign-up form alone is filled as the design fills it.
  page = show("/t/shared2.html", R"(<form><input name="email"><input type="password" name="password"
    autocomplete="new-password"><input type="password" name="password2" autocomplete="new-password"></form>)");
  EXPECT_TRUE(web::SetFieldValue(documentOf(page->mainFrame()), "password", "secret"));
  EXPECT_EQ(eval(page, "document.getElementsByName('password')[0].value"), "secret");
}

TEST(FramesToday, TheDesignsNamesWinOverFieldsFoundOtherwise) {
  // The top document has the fields only in a shadow root; a frame has them by
  // name: the design's search finds the frame and its answer is kept.
  server().setPage("/t/named-frame.html",
                   "<html><body><form><input name=userid><input type=password name=passwd>"
                   "</form></body></html>");
  auto page = show("/t/shadow-top.html", R"(<div id="h"></div><iframe name="f" src="/t/named-frame.html"></iframe>
    <script>document.getElementById('h').attachShadow({ mode: 'open' }).innerHTML =
      '<input name="userid"><input type="password" name="passwd">';</script>)");
  ASSERT_TRUE(webtest::browser().waitUntil([&] { return page->mainFrame().childFrames().size() == 1; }, 5s));
  std::optional<cdp::Frame> frame;
  ASSERT_TRUE(web::FindFrameBySiteNames(page->mainFrame(), site("userid", "passwd"), frame));
  EXPECT_FALSE(frame->isTop());
  // Where no document has them by name, the shadow root's are found.
  EXPECT_FALSE(web::FindFrameBySiteNames(page->mainFrame(), site("userid", web::IdKey("nope")), frame));
  page = show("/t/shadow-only.html", R"(<div id="h"></div><script>document.getElementById('h').attachShadow(
    { mode: 'open' }).innerHTML = '<input id="u"><input type="password" name="pw">';</script>)");
  ASSERT_TRUE(web::FindFrameBySiteNames(page->mainFrame(), site(web::IdKey("u"), "pw"), frame));
  EXPECT_TRUE(frame->isTop());
  ASSERT_TRUE(web::FindFrameBySiteNames(page->mainFrame(), site(web::IdKey("u"), ""), frame));  // by position
}

TEST(FramesToday, PositionPassesOverSignUpFormsAndLearnsIdKeys) {
  auto page = show("/t/pos-today.html", R"(
    <form><input name="new_id"><input type="password" name="np1"><input type="password" name="np2"
      placeholder="Confirm password"></form>
    <form><input id="login-id" autocomplete="username"><input name="code" autocomplete="one-time-code">
      <input type="password" id="login-pw"></form>)");
  store::TRegSiteCollItem s;
  std::optional<cdp::Frame> frame;
  ASSERT_TRUE(web::FindFrameByPosition(page->mainFrame(), frame, s));
  EXPECT_EQ(s.PW_Name, web::IdKey("login-pw"));
  EXPECT_EQ(s.ID_Name, web::IdKey("login-id"));

  // Fields with neither name nor id stay unnamed and are filled where they stand.
  page = show("/t/pos-neither.html", R"(<form><input class="a"><input type="password" class="b"></form>)");
  store::TRegSiteCollItem t;
  ASSERT_TRUE(web::FindFrameByPosition(page->mainFrame(), frame, t));
  EXPECT_EQ(t.PW_Name, "");
  EXPECT_EQ(t.ID_Name, "");
  t.ID_Value = "kim";
  t.PW_Value = "pw";
  web::FillLoginPage(*frame, t);
  EXPECT_EQ(eval(page, "document.querySelector('.a').value + '/' + document.querySelector('.b').value"), "kim/pw");
  EXPECT_EQ(eval(page, "document.activeElement.className"), "b");
}

TEST(FramesToday, TheTwoPagesOfATwoStepLogin) {
  const auto idOnly = [](const std::string& path, const std::string& body, const std::string& idName) {
    auto page = show(path, body);
    std::optional<cdp::Frame> frame;
    return web::FindIdOnlyFrame(page->mainFrame(), site(idName, "pw"), frame);
  };
  const std::string step = R"(<form><input type="email" name="login" autocomplete="username"><button>Next</button>
    </form>)";
  EXPECT_TRUE(idOnly("/t/s1.html", step, "login"));
  EXPECT_TRUE(idOnly("/t/s1.html", step, ""));
  EXPECT_FALSE(idOnly("/t/s1.html", step, "other"));
  EXPECT_TRUE(
      idOnly("/t/s2.html", R"(<form><input type="email" name="login"><button>Continue</button></form>)", "login"));
  // A password field anywhere in the page (here in a frame) makes it no ID page.
  server().setPage("/t/pw-frame.html", "<html><body><input type=password name=x></body></html>");
  EXPECT_FALSE(idOnly("/t/s3.html", step + "<iframe src='/t/pw-frame.html'></iframe>", "login"));
  // A field of the ID's name that is no user-name field, or a newsletter box.
  EXPECT_FALSE(idOnly("/t/s4.html", R"(<form><input name="login"><button>Next</button></form>)", "login"));
  EXPECT_FALSE(
      idOnly("/t/s5.html", R"(<form><input type="email" name="login"><button>Subscribe</button></form>)", "login"));

  auto page = show("/t/s6.html", R"(<p>kim</p><form><input type="password" id="secret"></form>)");
  std::optional<cdp::Frame> frame;
  EXPECT_TRUE(web::FindPasswordFrame(page->mainFrame(), site("login", web::IdKey("secret")), frame));
  EXPECT_TRUE(web::FindPasswordFrame(page->mainFrame(), site("login", ""), frame));
  EXPECT_FALSE(web::FindPasswordFrame(page->mainFrame(), site("login", "other"), frame));
}
