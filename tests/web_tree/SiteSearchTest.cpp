#include <gtest/gtest.h>

#include <QStringList>

#include "lockmere/web/SiteSearch.h"
#include "tests/web_tree/TreeFixture.h"

using web::SiteSearch;
using web::SiteTree;
using web::TreeNode;
using Outcome = SiteSearch::Outcome;

namespace {

// Mail/[Webmail/[mail-a] mail-b] News/ Shop/[mailorder] top
struct Searchable : treetest::Session {
  SiteTree tree;
  SiteSearch search{tree};

  Searchable() {
    const int mail = addCate("Mail").ID();
    const int web = addCate("Webmail", mail).ID();
    addCate("News");
    const int shop = addCate("Shop").ID();
    addSite("mail-a", web);
    addSite("mail-b", mail);
    addSite("mailorder", shop);
    addSite("top");
    tree.load(store->cates(), store->sites());
  }
  QString nextHit(const QString& text) {
    const SiteSearch::Result r = search.next(text);
    switch (r.outcome) {
      case Outcome::Found:
        return r.node->text();
      case Outcome::NoMore:
        return "<no more>";
      case Outcome::NotFound:
        return "<none>";
    }
    return {};
  }
};

TEST(SiteSearch, ContinuesAfterEachHitThenSaysNoMoreThenStartsOver) {
  Searchable s;
  // Depth first, folders and sites alike, inside closed folders too; case and
  // surrounding blanks do not matter.
  const QStringList expected{"Mail", "Webmail", "mail-a", "mail-b", "mailorder", "<no more>", "Mail", "Webmail"};
  QStringList hits;
  for (int i = 0; i < expected.size(); ++i) hits << s.nextHit("  MAIL ");
  EXPECT_EQ(hits, expected);
  EXPECT_TRUE(s.search.continuing());
}

TEST(SiteSearch, NothingFoundSaysNoResultsAndAChangedTextStartsAtTheTop) {
  Searchable s;
  EXPECT_EQ(s.nextHit("zzz"), "<none>");
  EXPECT_EQ(s.nextHit("zzz"), "<none>");
  EXPECT_EQ(s.nextHit(""), "<none>");
  EXPECT_EQ(s.nextHit("   "), "<none>");
  EXPECT_FALSE(s.search.continuing());

  EXPECT_EQ(s.nextHit("mail-"), "mail-a");
  s.search.stop();  // the search text changed
  EXPECT_EQ(s.nextHit("mail-"), "mail-a");
  EXPECT_EQ(s.nextHit("mail-"), "mail-b");
  // The last hit was the last node of its kind: the walk runs out.
  EXPECT_EQ(s.nextHit("top"), "top");
  EXPECT_EQ(s.nextHit("top"), "<no more>");
  EXPECT_EQ(s.nextHit("top"), "top");
}

TEST(SiteSearch, GoesOnAfterADeletedSubtreeAndForgetsALoggedOutTree) {
  Searchable s;
  EXPECT_EQ(s.nextHit("mail"), "Mail");  // the search goes on at Webmail
  ASSERT_EQ(s.tree.first()->child(0)->text(), "Webmail");
  ASSERT_TRUE(s.tree.remove(s.tree.first()->child(0)));
  EXPECT_EQ(s.nextHit("mail"), "mail-b");
  EXPECT_EQ(s.nextHit("mail"), "mailorder");

  s.tree.clear();
  EXPECT_FALSE(s.search.continuing());
  EXPECT_EQ(s.nextHit("mail"), "<none>");
}

}  // namespace
