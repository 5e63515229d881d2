#include <gtest/gtest.h>

#include "lockmere/web/FieldKeys.h"
#include "lockmere/web/FormCapture.h"
#include "tests/web/support/WebTestEnv.h"

using webtest::server;

namespace {

std::shared_ptr<cdp::PageTarget> show(const std::string& path, const std::string& body,
                                      const std::string& title = "Capture") {
  server().setPage(path, "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
                             "</title></head><body>" + body + "</body></html>");
  return webtest::load(server().url(path));
}

// Finds and captures the page's login form; the new record or null.
const store::TRegSiteCollItem* capture(const std::shared_ptr<cdp::PageTarget>& page, store::TRegSiteList& detected) {
  std::optional<web::LoginForm> form;
  std::string frameName;
  if (!web::FindPasswordForm(page->mainFrame(), form, frameName)) return nullptr;
  const int id = web::CaptureLoginForm(page, *form, frameName, detected);
  return detected.RegSites().findById(id);
}

std::string extras(const store::TRegSiteCollItem& site) {
  std::string out;
  for (int i = 0; i < site.ExtraItems.count(); ++i) {
    const auto& e = site.ExtraItems.at(i);
    out += (out.empty() ? "" : " ") + e.FormName + ":" + e.Name + ":" + e.Type_;
  }
  return out;
}

}  // namespace

TEST(Capture, ALoginFormBecomesASiteRecord) {
  auto page = show("/c/basic.html", R"(
    <form name="loginForm" action="/action/c"><input type="hidden" name="token" value="t">
    <input type="email" name="email"><input type="password" name="pw"><input type="checkbox" name="keep">
    <input type="submit" name="go" value="Log in"><button name="b">x</button><textarea name="note"></textarea></form>)",
                   "Member login");
  store::TRegSiteList detected;
  detected.RegSites().add();  // IDs go on from what the list holds
  const auto* site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->ID(), 1);
  EXPECT_EQ(site->URL, server().url("/c/basic.html"));
  EXPECT_EQ(site->Name, "Member login");
  EXPECT_EQ(site->FrameName, "");
  EXPECT_EQ(site->ID_FormName, "loginForm");
  EXPECT_EQ(site->ID_Name, "email");
  EXPECT_EQ(site->PW_FormName, "loginForm");
  EXPECT_EQ(site->PW_Name, "pw");
  EXPECT_EQ(extras(*site), "loginForm:token:HIDDEN loginForm:keep:CHECKBOX loginForm:go:SUBMIT");
  EXPECT_EQ(site->Keyword, "");
  EXPECT_EQ(site->ID_Value, "");
  EXPECT_EQ(site->LoginType, store::kLoginAutomatic);
}

TEST(Capture, ThePasswordFieldOfAFormWinsOverOneOutsideAnyForm) {
  auto page = show("/c/outside.html", R"(
    <input type="text" name="loose_id"><input type="password" name="loose_pw">
    <form name="f2"><input name="uid"><input type="password" name="upw"></form>)");
  store::TRegSiteList detected;
  const auto* site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->ID_Name, "uid");
  EXPECT_EQ(site->PW_Name, "upw");
}

TEST(Capture, ADecoyBeforeThePasswordIsDroppedAndTheNearestOtherTextFieldIsTheId) {
  auto page = show("/c/decoy.html", R"(
    <form name="f"><input name="userid"><input name="pwtext"><select name="lang"><option>ko</option></select>
    <input name="pwhint"><input type="password" name="pw"><input name="after"></form>)");
  store::TRegSiteList detected;
  const auto* site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->ID_Name, "userid");
  EXPECT_EQ(site->PW_Name, "pw");
  // pwhint was remembered first, pwtext further back replaced it: only pwtext goes.
  EXPECT_EQ(extras(*site), "f:lang:SELECT-ONE f:pwhint:TEXT f:after:TEXT");
}

TEST(Capture, NoTextFieldBeforeThePasswordLeavesTheIdEmpty) {
  auto page = show("/c/noid.html", R"(<form name="f"><input type="password" name="pin"><input name="next"></form>)");
  store::TRegSiteList detected;
  const auto* site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->ID_Name, "");
  EXPECT_EQ(site->ID_FormName, "");
  EXPECT_EQ(site->PW_Name, "pin");
  EXPECT_EQ(extras(*site), "f:next:TEXT");
}

TEST(Capture, DropDownsKeepTheirOptionsAndUnnamedFieldsAreLeftOut) {
  auto page = show("/c/select.html", R"(
    <form><input name="id"><input placeholder="unnamed"><select><option value="1">One</option></select>
    <select name="site"><option value="kr">Korea</option><option value="jp" selected>Japan &amp; more</option>
    <option>No value</option></select><input type="password" name="pw"></form>)");
  store::TRegSiteList detected;
  const auto* site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->ID_Name, "id");
  EXPECT_EQ(extras(*site), "::SELECT-ONE :site:SELECT-ONE");
  const auto& list = site->ExtraItems.at(1);
  ASSERT_EQ(list.Options.count(), 3);
  EXPECT_EQ(list.Options.at(0).Value, "kr");
  EXPECT_EQ(list.Options.at(0).Text, "Korea");
  EXPECT_EQ(list.Options.at(1).Text, "Japan & more");
  EXPECT_EQ(list.Options.at(2).Value, "No value");
  EXPECT_EQ(site->ExtraItems.at(0).Options.count(), 1);
}

TEST(Capture, FieldsNamedLikeTheFormsOwnPropertiesDoNotConfuseIt) {
  auto page = show("/c/shadowing.html", R"(
    <form name="real"><input name="name"><input name="elements"><input name="length">
    <input type="password" name="password"></form>)");
  store::TRegSiteList detected;
  const auto* site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->PW_FormName, "real");
  EXPECT_EQ(site->ID_Name, "length");
  EXPECT_EQ(extras(*site), "real:name:TEXT real:elements:TEXT");
}

TEST(Capture, AFormInAFrameOfAFramesetNamesTheFrame) {
  server().setPage("/c/fs-top.html",
                   "<html><head><title>Bank</title></head><frameset rows='10%,90%'>"
                   "<frame name=banner src='/pages/blank.html'><frame name=loginframe src='/c/fs-login.html'>"
                   "</frameset></html>");
  server().setPage("/c/fs-login.html",
                   "<html><body><form name=lf><input name=usr><input type=password name=pwd>"
                   "</form></body></html>");
  auto page = webtest::load(server().url("/c/fs-top.html"));
  store::TRegSiteList detected;
  const auto* site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->FrameName, "loginframe");
  EXPECT_EQ(site->URL, server().url("/c/fs-top.html"));
  EXPECT_EQ(site->Name, "Bank");
  EXPECT_EQ(site->ID_Name, "usr");
  EXPECT_EQ(site->PW_FormName, "lf");
}

TEST(Capture, AFormInACrossSiteFrameIsCaptured) {
  auto page = webtest::load(server().url("/pages/frames.html"));
  store::TRegSiteList detected;
  const auto* site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->FrameName, "second");
  EXPECT_EQ(site->ID_Name, "userid");
  EXPECT_EQ(site->PW_Name, "passwd");
  EXPECT_EQ(site->URL, server().url("/pages/frames.html"));
}

TEST(Capture, TheExceptedDomainKeepsOnlyAddressTitleAndFrame) {
  auto page = show("/hanbitbank.example/login.html", R"(<form name="f"><input name="id"><input type="password"
    name="pw"></form>)",
                   "Hanbit Bank");
  store::TRegSiteList detected;
  const auto* site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->Name, "Hanbit Bank");
  EXPECT_EQ(site->URL, server().url("/hanbitbank.example/login.html"));
  EXPECT_EQ(site->ID_Name, "");
  EXPECT_EQ(site->PW_Name, "");
  EXPECT_EQ(site->ExtraItems.count(), 0);
}

TEST(Capture, APageWithoutAPasswordFieldInAFormHasNoLoginForm) {
  auto page = show("/c/none.html", R"(<input type="password" name="loose"><form><input name="q"></form>)");
  std::optional<web::LoginForm> form;
  std::string frameName = "unchanged";
  EXPECT_FALSE(web::FindPasswordForm(page->mainFrame(), form, frameName));
  EXPECT_FALSE(form.has_value());
}

TEST(Capture, APageThatWentAwayCapturesNothing) {
  auto page = show("/c/gone.html", R"(<form name="f"><input name="id"><input type="password" name="pw"></form>)");
  std::optional<web::LoginForm> form;
  std::string frameName;
  ASSERT_TRUE(web::FindPasswordForm(page->mainFrame(), form, frameName));
  page = webtest::load(server().url("/pages/blank.html"));
  store::TRegSiteList detected;
  const int id = web::CaptureLoginForm(page, *form, frameName, detected);
  ASSERT_GE(id, 0);  // the record holds the page that is shown now, without fields
  const auto* site = detected.RegSites().findById(id);
  EXPECT_EQ(site->URL, server().url("/pages/blank.html"));
  EXPECT_EQ(site->PW_Name, "");
  auto closed = webtest::browser().openWindow(server().url("/pages/blank.html"));
  ASSERT_TRUE(webtest::waitForLoad(*closed, 0));
  closed->close();
  webtest::browser().waitUntil([&] { return closed->isClosed(); }, std::chrono::seconds(5));
  EXPECT_EQ(web::CaptureLoginForm(closed, *form, frameName, detected), -1);
  EXPECT_EQ(detected.RegSites().count(), 1);
}

// Today's pages: each extension where the design's rules find nothing or the wrong thing.

TEST(CaptureToday, FormsInOpenShadowRootsAreCapturedAsIfInTheDocument) {
  auto page = show("/c/shadow.html", R"(<outer-box></outer-box><script>
    customElements.define('inner-form', class extends HTMLElement { constructor() { super();
      this.attachShadow({ mode: 'open' }).innerHTML = '<form name="sf"><input name="who"><input type="password" ' +
        'name="secret"><input type="checkbox" name="stay"></form>'; } });
    customElements.define('outer-box', class extends HTMLElement { constructor() { super();
      this.attachShadow({ mode: 'open' }).innerHTML = '<input name="q" type="search"><inner-form></inner-form>'; } });
    </script>)");
  store::TRegSiteList detected;
  const auto* site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->ID_FormName, "sf");
  EXPECT_EQ(site->ID_Name, "who");
  EXPECT_EQ(site->PW_Name, "secret");
  EXPECT_EQ(extras(*site), "sf:stay:CHECKBOX");

  // A closed shadow root cannot be looked into.
  page = show("/c/closed.html", "<closed-box></closed-box>" + std::string(R"(<script>
    customElements.define('closed-box', class extends HTMLElement { constructor() { super();
      this.attachShadow({ mode: 'closed' }).innerHTML = '<form><input name="c"><input type="password" name="cp"></form>'; } });
    </script>)"));
  EXPECT_EQ(capture(page, detected), nullptr);
}

TEST(CaptureToday, OutsideAnyFormTheElementHoldingThePasswordAndItsIdFieldStandsForTheForm) {
  auto page = show("/c/loose.html", R"(
    <header><input type="search" name="q"><input name="promo" autocomplete="one-time-code"></header>
    <form name="news"><input type="email" name="news_email"></form>
    <div class="box"><input name="uid"><span><input type="password" name="upw"></span>
      <input type="checkbox" name="keep"><input placeholder="no name"></div>
    <footer><input name="feedback"></footer>)");
  store::TRegSiteList detected;
  const auto* site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->ID_FormName, "");
  EXPECT_EQ(site->ID_Name, "uid");
  EXPECT_EQ(site->PW_FormName, "");
  EXPECT_EQ(site->PW_Name, "upw");
  EXPECT_EQ(extras(*site), ":keep:CHECKBOX");  // the box's fields only

  // Without a text field before it that could be the ID, a password field
  // outside any form is no login form (a PIN box, a password to reveal a post).
  page = show("/c/loose-alone.html", R"(<input type="search" name="q"><div><input type="password" name="pin"></div>)");
  EXPECT_EQ(capture(page, detected), nullptr);
}

TEST(CaptureToday, FieldsWithoutNamesAreKeptByTheirIdOrLeftToTheirPosition) {
  auto page = show("/c/ids.html", R"(
    <form name="f"><input name="q" type="search"><input id="mail" type="email"><input type="password" id="pass">
    <input type="checkbox" id="remember"><input name="token" type="hidden"></form>)");
  store::TRegSiteList detected;
  const auto* site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->ID_Name, web::IdKey("mail"));
  EXPECT_EQ(site->ID_FormName, "f");
  EXPECT_EQ(site->PW_Name, web::IdKey("pass"));
  EXPECT_TRUE(web::IsIdKey(site->PW_Name));
  EXPECT_EQ(extras(*site), "f:q:TEXT f:token:HIDDEN");  // unnamed fields stay out of the extras

  page = show("/c/neither.html", R"(<form name="g"><input class="u"><input type="password" class="p"></form>)");
  site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->ID_Name, "");
  EXPECT_EQ(site->PW_Name, "");
  EXPECT_EQ(site->PW_FormName, "");

  // A named password field keeps the design's choice of a named ID field.
  page = show("/c/named-pw.html", R"(<form><input name="user"><input id="x"><input type="password" name="pw"></form>)");
  site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->ID_Name, "user");
}

TEST(CaptureToday, SignUpAndChangePasswordFormsAreNeverTakenForLoginForms) {
  const auto captured = [](const std::string& path, const std::string& body) {
    static store::TRegSiteList detected;
    const auto* site = capture(show(path, body), detected);
    return site ? site->ID_Name + "/" + site->PW_Name : std::string("none");
  };
  // A sign-up form before the login form: the login form.
  EXPECT_EQ(captured("/c/su1.html", R"(
    <form><input name="nick"><input type="password" name="pw1"><label>Repeat it <input type="password" name="pw2">
    </label></form><form><input name="id"><input type="password" name="pw"></form>)"),
            "id/pw");
  // On its own it is no login form: two fields, one confirming the other ...
  EXPECT_EQ(captured("/c/su2.html", R"(<form><input name="id"><input type="password" name="pass">
    <input type="password" name="pass_confirm"></form>)"),
            "none");
  // ... three (current, new, again) ...
  EXPECT_EQ(captured("/c/su3.html", R"(<form><input name="id"><input type="password" name="a">
    <input type="password" name="b"><input type="password" name="c"></form>)"),
            "none");
  // ... or one marked as a new password in a form that signs up.
  EXPECT_EQ(captured("/c/su4.html", R"(<form action="/join"><input type="email" name="e">
    <input type="password" name="p" autocomplete="new-password"><button>Create account</button></form>)"),
            "none");
  // A login form marked so that browsers keep out, and one with a second
  // password of its own, stay login forms.
  EXPECT_EQ(captured("/c/su5.html", R"(<form><input name="id"><input type="password" name="p"
    autocomplete="new-password"><input type="submit" value="Log in"></form>)"),
            "id/p");
  EXPECT_EQ(captured("/c/su6.html", R"(<form><input name="id"><input type="password" name="p">
    <label>Certificate password <input type="password" name="cert"></label></form>)"),
            "id/p");
  // The same outside any form.
  EXPECT_EQ(captured("/c/su7.html", R"(<div><input name="u"><input type="password" name="a" autocomplete="new-password">
    <input type="password" name="b" autocomplete="new-password"></div>)"),
            "none");
}

TEST(CaptureToday, AFieldThatSaysItIsSomethingElseGivesWayToTheUserName) {
  store::TRegSiteList detected;
  for (const char* between :
       {R"(<input name="x" autocomplete="one-time-code">)", R"(<input name="x" autocomplete="billing postal-code">)",
        R"(<input name="x" autocomplete="cc-number">)", R"(<input name="x" type="url">)"}) {
    SCOPED_TRACE(between);
    auto page = show("/c/between.html", std::string(R"(<form name="f"><input name="login" autocomplete="username">)") +
                                            between + R"(<input type="password" name="pw"></form>)");
    const auto* site = capture(page, detected);
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(site->ID_Name, "login");
    EXPECT_EQ(extras(*site), "f:x:TEXT");
  }
  // An e-mail field serves when nothing is marked as the user name.
  auto page = show("/c/between-mail.html", R"(<form><input type="email" name="mail"><input name="code"
    autocomplete="one-time-code"><input type="password" name="pw"></form>)");
  const auto* site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->ID_Name, "mail");
  // With neither, the design's choice stays: a card number may be the ID.
  page = show("/c/between-none.html", R"(<form><input name="holder"><input name="card" autocomplete="cc-number">
    <input type="password" name="pin"></form>)");
  site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->ID_Name, "card");
}

TEST(CaptureToday, TheFirstPageOfATwoStepLoginIsCapturedByItsUserNameField) {
  store::TRegSiteList detected;
  auto page = show("/c/step1.html", R"(<form name="s"><input type="hidden" name="flow" value="1">
    <input type="email" name="identifier" autocomplete="username"><button>Next</button></form>)");
  const auto* site = capture(page, detected);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->ID_FormName, "s");
  EXPECT_EQ(site->ID_Name, "identifier");
  EXPECT_EQ(site->PW_Name, "");
  EXPECT_EQ(extras(*site), "s:flow:HIDDEN");

  // Not an e-mail field alone (a newsletter box), nor a password reset.
  page = show("/c/news.html", R"(<form><input type="email" name="email"><button>Next</button></form>)");
  EXPECT_EQ(capture(page, detected), nullptr);
  page = show("/c/reset.html", R"(<form><input name="user" autocomplete="username"><button>Send reset link</button>
    </form>)");
  EXPECT_EQ(capture(page, detected), nullptr);
}
