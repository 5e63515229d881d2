#include <gtest/gtest.h>

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
