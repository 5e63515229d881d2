// The registration's rules without windows or a browser: keyword suggestions,
// stored keywords, registered addresses, the notification's text, which extra
// fields the form offers, where a new site goes and the folder list.
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
  values.loginType = store::kLoginByScript;  // a script site is never matched: no keyword
  EXPECT_EQ(web::SaveNewSite(empty.RegSites(), nullptr, values).Keyword, "");
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
