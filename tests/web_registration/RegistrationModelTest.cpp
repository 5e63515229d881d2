// The registration's rules without windows or a browser: keyword suggestions,
// stored keywords, registered addresses, the notification's text, which extra
// fields the form offers and what a save makes of the form's values.
#include <gtest/gtest.h>

#include "lockmere/store/CategoryModel.h"
#include "lockmere/texts/StringTable.h"
#include "lockmere/web/NewSiteOffer.h"
#include "lockmere/web/SiteFormModel.h"
#include "lockmere/web/SiteKeywords.h"
#include "lockmere/web/SiteTree.h"

namespace {

QStringList list(std::initializer_list<const char*> items) {
  QStringList out;
  for (const char* i : items) out << QString::fromUtf8(i);
  return out;
}

store::TRegSiteCollItem& site(store::TRegSiteList& sites, const std::string& keyword, int type = 1) {
  store::TRegSiteCollItem& s = sites.RegSites().add();
  s.Keyword = keyword;
  s.LoginType = static_cast<std::uint8_t>(type);
  return s;
}

store::TExtraItems& extra(store::TRegSiteCollItem& s, const std::string& name, const std::string& type) {
  store::TExtraItems& e = s.ExtraItems.add();
  e.FormName = "login";
  e.Name = name;
  e.Type_ = type;
  return e;
}

void option(store::TExtraItems& e, const std::string& value, const std::string& text) {
  store::TSiteOptions& o = e.Options.add();
  o.Value = value;
  o.Text = text;
}

}  // namespace

TEST(SuggestKeywords, HostLabelsHostAndPath) {
  const auto s = web::SuggestKeywords("http://mail.corp.example/login/index.html");
  EXPECT_EQ(s.keywords, list({"MAIL", "CORP.EXAMPLE", "MAIL.CORP.EXAMPLE", "MAIL.CORP.EXAMPLE/LOGIN/INDEX.HTML"}));
  EXPECT_EQ(s.text, "MAIL.CORP.EXAMPLE");
}

TEST(SuggestKeywords, HttpsInAnyCaseWithFourLabelsAndATrailingSlash) {
  const auto s = web::SuggestKeywords("hTtPs://www.bank.co.example/");
  EXPECT_EQ(s.keywords, list({"WWW", "BANK.CO.EXAMPLE", "WWW.BANK.CO.EXAMPLE"}));
  EXPECT_EQ(s.text, "WWW.BANK.CO.EXAMPLE");
}

TEST(SuggestKeywords, OnlyWhatKeywordsAreMatchedAgainst) {
  // Query, fragment and user name never take part in matching: a suggestion with
  // them could never match.
  auto s = web::SuggestKeywords("https://kim@shop.example/login?next=/cart#top");
  EXPECT_EQ(s.keywords, list({"SHOP", "EXAMPLE", "SHOP.EXAMPLE", "SHOP.EXAMPLE/LOGIN"}));
  // A host without a dot: one suggestion, no empty ones, no repeats.
  s = web::SuggestKeywords("http://intranet:8080/");
  EXPECT_EQ(s.keywords, list({"INTRANET:8080"}));
  EXPECT_EQ(s.text, "INTRANET:8080");
  // The form's first text, and an address without a scheme.
  s = web::SuggestKeywords("http://");
  EXPECT_TRUE(s.keywords.isEmpty());
  EXPECT_EQ(s.text, "");
  s = web::SuggestKeywords("portal.example/sso");
  EXPECT_EQ(s.keywords, list({"PORTAL", "EXAMPLE", "PORTAL.EXAMPLE", "PORTAL.EXAMPLE/SSO"}));
}

TEST(StoredKeyword, UpperCaseWithoutSurroundingBlanks) {
  EXPECT_EQ(web::StoredKeyword(" mail.Example.com/Login "), "MAIL.EXAMPLE.COM/LOGIN");
  EXPECT_EQ(web::StoredKeyword(QString::fromUtf8("한글.example")), "한글.EXAMPLE");
  EXPECT_EQ(web::StoredKeyword(""), "");
}

TEST(IsRegisteredAddress, AnySiteWhoseKeywordOccursInTheAddressProper) {
  store::TRegSiteList sites;
  EXPECT_FALSE(web::IsRegisteredAddress(sites, "http://a.example/"));
  site(sites, "");  // an empty keyword never occurs
  site(sites, "lower.example");
  EXPECT_FALSE(web::IsRegisteredAddress(sites, "http://lower.example/"));
  site(sites, "BANK.EXAMPLE", store::kLoginByScript);  // whatever the login type
  EXPECT_TRUE(web::IsRegisteredAddress(sites, "https://www.bank.example/login"));
  EXPECT_TRUE(web::IsRegisteredAddress(sites, "HTTPS://WWW.BANK.EXAMPLE/"));
  EXPECT_FALSE(web::IsRegisteredAddress(sites, "https://other.example/?u=bank.example"));
  EXPECT_FALSE(web::IsRegisteredAddress(sites, "https://other.example/#bank.example"));
}

TEST(NewSitePopupText, TitleCutAtThirtyCharacters) {
  const QString tail = QStringLiteral("』\r\n\r\n") + texts::M(32);
  EXPECT_EQ(web::NewSiteOffer::PopupText("Login"), QStringLiteral("『Login") + tail);
  const QString thirty = QString(30, u'가');
  EXPECT_EQ(web::NewSiteOffer::PopupText(thirty), QStringLiteral("『") + thirty + tail);
  EXPECT_EQ(web::NewSiteOffer::PopupText(thirty + "x"), QStringLiteral("『") + thirty + "..." + tail);
  // A character beyond the basic plane counts once and is never split.
  const QString emoji = QString::fromUtf8("\xF0\x9F\x94\x92");
  QString title;
  for (int i = 0; i < 31; ++i) title += emoji;
  const QString shown = web::NewSiteOffer::PopupText(title);
  EXPECT_EQ(shown.count(emoji), 30);
  EXPECT_TRUE(shown.contains(emoji + "..."));
  EXPECT_EQ(texts::M(61), QStringLiteral("『"));
}

TEST(SiteFormModel, ThreeEditsAtMostAndTheLastDropDown) {
  store::TRegSiteCollItem s;
  extra(s, "list1", "SELECT-ONE");
  const int a = extra(s, "a", "TEXT").ID();
  extra(s, "flag", "CHECKBOX");
  const int b = extra(s, "b", "PASSWORD").ID();
  const int c = extra(s, "c", "TEXT").ID();
  extra(s, "d", "TEXT");
  const int list2 = extra(s, "list2", "SELECT-ONE").ID();
  const web::ExtraFieldPlan plan = web::PlanExtraFields(s);
  EXPECT_EQ(plan.edits, (std::vector<int>{a, b, c}));
  EXPECT_EQ(plan.select, list2);
  EXPECT_EQ(web::PlanExtraFields(store::TRegSiteCollItem{}).select, -1);
}

TEST(SiteFormModel, NewSitesGoBeforeTheFirstKeywordAtLeastAsLong) {
  web::SiteFormValues values;
  values.keyword = "ab";
  store::TRegSiteList sites;
  for (const char* k : {"A", "ABC", "ABCDE"}) site(sites, k);
  EXPECT_EQ(sites.RegSites().indexOf(web::SaveNewSite(sites.RegSites(), nullptr, values).ID()), 1);

  store::TRegSiteList two;
  site(two, "A");
  site(two, "B");
  EXPECT_EQ(two.RegSites().indexOf(web::SaveNewSite(two.RegSites(), nullptr, values).ID()), 2);

  store::TRegSiteList longer;
  site(longer, "ABC");
  site(longer, "ABCDE");
  EXPECT_EQ(longer.RegSites().indexOf(web::SaveNewSite(longer.RegSites(), nullptr, values).ID()), 0);

  store::TRegSiteList empty;
  EXPECT_EQ(web::SaveNewSite(empty.RegSites(), nullptr, values).Keyword, "AB");
}

TEST(SiteFormModel, ANewSiteTakesTheCapturedFieldsAndTheFormsValues) {
  store::TRegSiteCollItem captured;
  captured.FrameName = "main";
  captured.ID_FormName = "login";
  captured.ID_Name = "userid";
  captured.PW_FormName = "login";
  captured.PW_Name = "passwd";
  store::TExtraItems& domain = extra(captured, "domain", "SELECT-ONE");
  option(domain, "a", "a.example");
  option(domain, "b", "b.example");
  extra(captured, "otp", "TEXT");
  extra(captured, "otp", "HIDDEN");  // the same name: the same edit
  extra(captured, "pin", "TEXT");    // no edit shown for it

  web::SiteFormValues values;
  values.url = "https://a.example/login";
  values.name = "A";
  values.keyword = "a.example";
  values.idValue = "kim";
  values.pwValue = "secret";
  values.description = "memo";
  values.cateId = 7;
  values.loginType = store::kLoginWithFingerprint;
  values.extraEdits = {{"otp", "123456"}};
  values.domainText = "b.example";

  store::TRegSiteList sites;
  const store::TRegSiteCollItem& s = web::SaveNewSite(sites.RegSites(), &captured, values);
  EXPECT_EQ(s.URL, values.url);
  EXPECT_EQ(s.Keyword, "A.EXAMPLE");
  EXPECT_EQ(s.CateID, 7);
  EXPECT_EQ(s.LoginType, store::kLoginWithFingerprint);
  EXPECT_EQ(s.ID_Value, "kim");
  EXPECT_EQ(s.PW_Value, "secret");
  EXPECT_EQ(s.Description, "memo");
  EXPECT_EQ(s.FrameName, "main");
  EXPECT_EQ(s.ID_Name, "userid");
  EXPECT_EQ(s.PW_Name, "passwd");
  EXPECT_EQ(s.ID_FormName, "login");
  ASSERT_EQ(s.ExtraItems.count(), 4);
  EXPECT_EQ(s.ExtraItems.at(0).Value, "b.example");
  ASSERT_EQ(s.ExtraItems.at(0).Options.count(), 2);
  EXPECT_EQ(s.ExtraItems.at(0).Options.at(1).Value, "b");
  EXPECT_EQ(s.ExtraItems.at(0).Options.at(1).Text, "b.example");
  EXPECT_EQ(s.ExtraItems.at(1).Value, "123456");
  EXPECT_EQ(s.ExtraItems.at(2).Value, "123456");
  EXPECT_EQ(s.ExtraItems.at(3).Value, "");
  EXPECT_EQ(s.ExtraItems.at(3).FormName, "login");

  // A script site keeps no keyword.
  values.loginType = store::kLoginByScript;
  EXPECT_EQ(web::SaveNewSite(sites.RegSites(), nullptr, values).Keyword, "");
}

TEST(SiteFormModel, AnEditedSiteKeepsItsFieldsAndTakesTheValues) {
  store::TRegSiteCollItem s;
  s.Keyword = "OLD";
  s.ID_Name = "userid";
  extra(s, "otp", "TEXT").Value = "old";
  extra(s, "list", "SELECT-ONE").Value = "x";
  web::SiteFormValues values;
  values.keyword = "new.example";
  values.loginType = store::kLoginManual;
  values.extraEdits = {{"otp", "new"}};
  values.domainText = "y";
  web::SaveEditedSite(s, values);
  EXPECT_EQ(s.Keyword, "NEW.EXAMPLE");
  EXPECT_EQ(s.ID_Name, "userid");
  EXPECT_EQ(s.LoginType, store::kLoginManual);
  EXPECT_EQ(s.ExtraItems.at(0).Value, "new");
  EXPECT_EQ(s.ExtraItems.at(1).Value, "y");
  values.loginType = store::kLoginByScript;  // the keyword stays as it was
  values.keyword = "";
  web::SaveEditedSite(s, values);
  EXPECT_EQ(s.Keyword, "NEW.EXAMPLE");
}

TEST(SiteFormModel, FoldersInDisplayOrderIndentedByDepth) {
  store::TLMCateList cates;
  store::TRegSiteList sites;
  const int work = cates.Cates().add().ID();
  cates.Cates().at(0).Text = "Work";
  store::TCateItem& mail = cates.Cates().add();
  mail.Text = "Mail";
  mail.ParentID = work;
  store::TCateItem& inner = cates.Cates().add();
  inner.Text = "Inner";
  inner.ParentID = mail.ID();
  store::TCateItem& games = cates.Cates().add();
  games.Text = "Games";
  site(sites, "X").CateID = work;
  web::SiteTree tree;
  tree.load(cates, sites);
  const auto choices = web::FolderChoices(tree, "Top");
  ASSERT_EQ(choices.size(), 5u);
  const std::vector<std::pair<QString, int>> expected = {
      {"Top", 0}, {"Work", 0}, {"Mail", 2}, {"Inner", 4}, {"Games", 0}};
  for (std::size_t i = 0; i < choices.size(); ++i) {
    EXPECT_EQ(choices[i].text, expected[i].first);
    EXPECT_EQ(choices[i].indent, expected[i].second);
  }
  EXPECT_EQ(choices[0].cateId, -1);
  EXPECT_EQ(choices[3].cateId, inner.ID());
  tree.clear();
}
