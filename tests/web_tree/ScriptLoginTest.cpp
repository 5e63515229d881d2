#include <gtest/gtest.h>

#include "lockmere/texts/Language.h"
#include "lockmere/web/ScriptLogin.h"
#include "lockmere/web/SiteAddresses.h"

using web::buildScriptRequest;
using web::ScriptRequest;
using Kind = ScriptRequest::Kind;

namespace {

store::TRegSiteCollItem scriptSite(const char* script, const char* url = "https://www.example.com/login.do") {
  store::TRegSiteCollItem site;
  site.URL = url;
  site.Description = script;
  site.ID_Value = "kim@mail";
  site.PW_Value = "p&ss w=rd+%";
  site.LoginType = store::kLoginByScript;
  return site;
}

ScriptRequest korean(const store::TRegSiteCollItem& site) {
  texts::setLanguage(texts::Language::Korean);
  return buildScriptRequest(site);
}

TEST(ScriptLogin, PostSendsTheParameterLineWithEncodedIdAndPasswordAndNothingElse) {
  const ScriptRequest r = korean(scriptSite("POST\r\nuser=아이디&pass=비밀번호&keep=1\r\n"));
  ASSERT_EQ(r.kind, Kind::Post);
  EXPECT_EQ(r.url, "https://www.example.com/login.do");
  // No line feed of the line break in front, no zero byte behind.
  EXPECT_EQ(r.body, QByteArray("user=kim%40mail&pass=p%26ss+w%3Drd%2B%25&keep=1"));
}

TEST(ScriptLogin, GetInAnyCaseOpensTheAddressWithTheParameters) {
  const ScriptRequest r = korean(scriptSite("get\r\n\r\nid=아이디&pw=비밀번호&again=아이디"));
  ASSERT_EQ(r.kind, Kind::Get);
  EXPECT_EQ(r.url, "https://www.example.com/login.do?id=kim%40mail&pw=p%26ss+w%3Drd%2B%25&again=kim%40mail");
  EXPECT_TRUE(r.body.isEmpty());
  // Line breaks as this platform's editors write them, and no parameters.
  EXPECT_EQ(korean(scriptSite("GET\nid=아이디")).url, "https://www.example.com/login.do?id=kim%40mail");
  EXPECT_EQ(korean(scriptSite("GET")).url, "https://www.example.com/login.do?");
}

TEST(ScriptLogin, NoScriptAndAnUnknownMethodAreRefused) {
  EXPECT_EQ(korean(scriptSite("")).kind, Kind::NoScript);
  EXPECT_EQ(korean(scriptSite("\r\n\r\n\n")).kind, Kind::NoScript);
  for (const char* script : {"PUT\r\nid=아이디", "POST \r\nid=아이디", "GETX", "id=아이디\r\nPOST"}) {
    SCOPED_TRACE(script);
    const ScriptRequest r = korean(scriptSite(script));
    EXPECT_EQ(r.kind, Kind::Invalid);
    EXPECT_TRUE(r.url.isEmpty());
    EXPECT_TRUE(r.body.isEmpty());
  }
}

TEST(ScriptLogin, ThePlaceholdersFollowTheLanguage) {
  texts::setLanguage(texts::Language::Japanese);
  const ScriptRequest r = buildScriptRequest(scriptSite("POST\r\nid=ＩＤ&pw=パスワード&k=아이디"));
  EXPECT_EQ(r.body, QByteArray("id=kim%40mail&pw=p%26ss+w%3Drd%2B%25&k=아이디"));
}

TEST(ScriptLogin, TheProtectedSitesPostsGoToTheProtectedLoginOnly) {
  const std::string url = std::string("https://") + "Login.GuardBank.Example" + "/auth";
  EXPECT_EQ(korean(scriptSite("POST\r\nid=아이디", url.c_str())).kind, Kind::ProtectedPost);
  EXPECT_EQ(korean(scriptSite("POST\r\nid=아이디", url.c_str())).body, QByteArray("id=kim%40mail"));
  EXPECT_EQ(korean(scriptSite("GET\r\nid=아이디", url.c_str())).kind, Kind::Get);
  EXPECT_TRUE(web::isProtectedLoginAddress(QString::fromLatin1(web::kProtectedLoginDomain).toLower()));
  EXPECT_FALSE(web::isProtectedLoginAddress("https://guardbank.example.org/"));
}

TEST(ScriptLogin, CutsAtLineBreaksOutsideQuotes) {
  EXPECT_EQ(web::cutScript("POST\r\na=1\rb=2\nc=3\r\n\r\n"), (QStringList{"POST", "a=1", "b=2", "c=3"}));
  EXPECT_EQ(web::cutScript("POST\r\nmsg='one\r\ntwo'&x=\"3\r4\"\r\nlast"),
            (QStringList{"POST", "msg='one\r\ntwo'&x=\"3\r4\"", "last"}));
  // An unclosed quote keeps the rest together.
  EXPECT_EQ(web::cutScript("GET\r\nit's\r\nmore"), (QStringList{"GET", "it's\r\nmore"}));
}

TEST(ScriptLogin, FormEncodingOfEveryKindOfCharacter) {
  EXPECT_EQ(web::formEncode("azAZ09*-._"), QByteArray("azAZ09*-._"));
  EXPECT_EQ(web::formEncode(" &=+%?/#~!'\"<>\r\n\t"), QByteArray("+%26%3D%2B%25%3F%2F%23%7E%21%27%22%3C%3E%0D%0A%09"));
  EXPECT_EQ(web::formEncode(QString::fromUtf8("비번")), QByteArray("%EB%B9%84%EB%B2%88"));
  EXPECT_EQ(web::formEncode(QString()), QByteArray());
}

}  // namespace
