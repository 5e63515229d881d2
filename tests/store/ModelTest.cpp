#include <gtest/gtest.h>

#include "lockmere/store/StoreStream.h"
#include "lockmere/store/TreeOrder.h"

using namespace store;

namespace {

stream::Lists reload(const TLMCateList& cates, const TRegSiteList& sites) {
  const auto bytes = stream::write(cates, sites);
  return stream::read(bytes.data(), bytes.size());
}

TRegSiteCollItem siteWithKeyword(const std::string& keyword) {
  TRegSiteCollItem s;
  s.Keyword = keyword;
  return s;
}

}  // namespace

TEST(Collection, IdentityCounterNeverReusesAnId) {
  Collection<TCateItem> c;
  EXPECT_EQ(c.add().ID(), 0);
  EXPECT_EQ(c.add().ID(), 1);
  EXPECT_EQ(c.add().ID(), 2);
  c.remove(2);
  c.clear();
  EXPECT_EQ(c.add().ID(), 3);  // the counter runs on after deletes and clear
  EXPECT_EQ(c.insert(0).ID(), 4);
  EXPECT_EQ(c[0].ID(), 4);
  EXPECT_EQ(c.findById(3), &c[1]);
  EXPECT_EQ(c.findById(2), nullptr);
  EXPECT_EQ(c.indexOf(3), 1);
  EXPECT_EQ(c.indexOf(99), -1);
}

TEST(Collection, ReorderPutsListedIdsFirstOnceAndKeepsTheRestInOrder) {
  Collection<TCateItem> c;
  for (int i = 0; i < 5; ++i) c.add().Text = std::to_string(i);
  c.reorder({3, 99, 1, 3, 1});  // an unknown ID and repeats change nothing more
  ASSERT_EQ(c.count(), 5);
  std::string order;
  for (int i = 0; i < c.count(); ++i) order += c[i].Text;
  EXPECT_EQ(order, "31024");
  EXPECT_EQ(c.findById(4), &c[4]);
}

TEST(Collection, MoveKeepsIdsAndReferences) {
  Collection<TCateItem> c;
  for (const char* t : {"a", "b", "c", "d"}) c.add().Text = t;
  TCateItem* b = c.findById(1);
  c.move(1, 3);
  EXPECT_EQ(c[0].Text, "a");
  EXPECT_EQ(c[1].Text, "c");
  EXPECT_EQ(c[2].Text, "d");
  EXPECT_EQ(c[3].Text, "b");
  EXPECT_EQ(&c[3], b);
  EXPECT_EQ(c.findById(1), b);
  c.move(3, 0);
  EXPECT_EQ(c[0].Text, "b");
  EXPECT_THROW(c.move(0, 4), std::out_of_range);
  EXPECT_TRUE(c.removeById(2));
  EXPECT_FALSE(c.removeById(2));
  EXPECT_EQ(c.count(), 3);
}

TEST(Collection, CopyIsASnapshotAssignRenumbers) {
  Collection<TExtraItems> a;
  a.add().Name = "x";
  a[0].Options.add().Text = "o";
  a.add().Name = "y";
  a.removeById(0);
  Collection<TExtraItems> copy = a;
  EXPECT_EQ(copy[0].ID(), 1);
  EXPECT_EQ(copy.nextId(), 2);
  copy[0].Options.add();
  EXPECT_EQ(a[0].Options.count(), 0);  // deep

  Collection<TExtraItems> target;
  target.add();
  target.add();
  target.assign(a);
  ASSERT_EQ(target.count(), 1);
  EXPECT_EQ(target[0].Name, "y");
  EXPECT_EQ(target[0].ID(), 2);  // fresh IDs from the target's counter
}

TEST(SiteOrdering, NewSiteGoesBeforeFirstKeywordAtLeastAsLong) {
  TRegSiteList list;
  for (const char* k : {"a", "abc", "abcde"}) list.RegSites().add().Keyword = k;
  TRegSiteCollItem& added = list.RegSites().insertSite(siteWithKeyword("ab"));
  EXPECT_EQ(list.RegSites().indexOf(added.ID()), 1);
  EXPECT_EQ(added.ID(), 3);

  TRegSiteList shortOnes;
  shortOnes.RegSites().add().Keyword = "a";
  shortOnes.RegSites().add().Keyword = "b";
  EXPECT_EQ(shortOnes.RegSites().insertPosition("ab"), 2);  // appended
  TRegSiteList empty;
  EXPECT_EQ(empty.RegSites().insertPosition("ab"), 0);
  // Equal length counts as "at least as long"; length is in code-page bytes.
  EXPECT_EQ(list.RegSites().insertPosition("xyz"), 2);
  EXPECT_EQ(list.RegSites().insertPosition("가나"), 3);  // 4 bytes: before "abcde"
}

TEST(TreeOrder, BuildOrderCategoriesThenTheirSitesThenTopLevelSites) {
  TLMCateList cates;
  TRegSiteList sites;
  TCateItem& mail = cates.Cates().add();  // ID 0
  mail.Text = "mail";
  TCateItem& bank = cates.Cates().add();  // ID 1
  bank.Text = "bank";
  TCateItem& work = cates.Cates().add();  // ID 2, under mail
  work.ParentID = 0;
  TRegSiteCollItem& top = sites.RegSites().add();  // ID 0
  top.CateID = -1;
  TRegSiteCollItem& inMail = sites.RegSites().add();  // ID 1
  inMail.CateID = 0;
  TRegSiteCollItem& inWork = sites.RegSites().add();  // ID 2
  inWork.CateID = 2;
  TRegSiteCollItem& orphan = sites.RegSites().add();  // ID 3: no such category
  orphan.CateID = 9;

  const auto order = buildTreeOrder(cates, sites);
  struct Expect {
    int folder, id, depth;
  };
  const Expect expected[] = {{1, 0, 0}, {1, 2, 1}, {0, 2, 2}, {0, 1, 1}, {1, 1, 0}, {0, 0, 0}};
  ASSERT_EQ(order.size(), std::size(expected));
  for (std::size_t i = 0; i < order.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(order[i].link.folder, expected[i].folder);
    EXPECT_EQ(expected[i].folder ? order[i].link.cateId : order[i].link.siteId, expected[i].id);
    EXPECT_EQ(order[i].depth, expected[i].depth);
  }
}

TEST(TreeOrder, DeepNestingNeedsNoRecursion) {
  TLMCateList cates;
  TRegSiteList sites;
  int parent = -1;
  for (int i = 0; i < 100000; ++i) {
    TCateItem& c = cates.Cates().add();
    c.ParentID = parent;
    parent = c.ID();
  }
  sites.RegSites().add().CateID = parent;
  const auto order = buildTreeOrder(cates, sites);
  ASSERT_EQ(order.size(), 100001u);
  EXPECT_EQ(order.back().depth, 100000);
  renumber(order, cates, sites);
  EXPECT_EQ(sites.RegSites()[0].CateID, parent);
}

TEST(TreeOrder, DeletingFirstOfThreeCategoriesKeepsReferencesAfterSave) {
  TLMCateList cates;
  TRegSiteList sites;
  for (const char* t : {"first", "second", "third"}) cates.Cates().add().Text = t;
  cates.Cates()[2].ParentID = 1;  // third below second
  for (int c : {0, 1, 2, -1}) sites.RegSites().add().CateID = c;
  sites.RegSites()[0].Name = "in first";
  sites.RegSites()[1].Name = "in second";
  sites.RegSites()[2].Name = "in third";
  sites.RegSites()[3].Name = "top";

  ASSERT_TRUE(deleteCategory(0, cates, sites));
  ASSERT_EQ(cates.Cates().count(), 2);
  ASSERT_EQ(sites.RegSites().count(), 3);  // the site in "first" went with it
  renumber(buildTreeOrder(cates, sites), cates, sites);
  // In memory the references still name IDs.
  EXPECT_EQ(cates.Cates()[1].ParentID, cates.Cates()[0].ID());

  auto back = reload(cates, sites);
  const TCateCollection& c = back.cates->Cates();
  const TRegSiteCollection& s = back.sites->RegSites();
  ASSERT_EQ(c.count(), 2);
  EXPECT_EQ(c[0].Text, "second");
  EXPECT_EQ(c[0].ID(), 0);
  EXPECT_EQ(c[1].Text, "third");
  EXPECT_EQ(c[1].ParentID, 0);
  ASSERT_EQ(s.count(), 3);
  // Tree order: "second", its sub-folder "third" with its site, then the site of "second".
  EXPECT_EQ(s[0].Name, "in third");
  EXPECT_EQ(s[0].CateID, 1);
  EXPECT_EQ(s[1].Name, "in second");
  EXPECT_EQ(s[1].CateID, 0);
  EXPECT_EQ(s[2].Name, "top");
  EXPECT_EQ(s[2].CateID, -1);
}

TEST(TreeOrder, RenumberFollowsTheTreeAndSkipsMissingNodes) {
  TLMCateList cates;
  TRegSiteList sites;
  for (const char* t : {"a", "b"}) cates.Cates().add().Text = t;  // IDs 0, 1
  for (int i = 0; i < 3; ++i) sites.RegSites().add().Name = std::to_string(i);
  // The tree (as the widget holds it after a drag): b on top with site 2 and
  // folder a inside it; a holds site 0; a node for a deleted folder 7 with a
  // child; site 1 at the top.
  const std::vector<TreeEntry> tree = {
      {{1, 1, -1}, 0}, {{1, 0, -1}, 1}, {{0, -1, 0}, 2}, {{0, -1, 2}, 1},
      {{1, 7, -1}, 0}, {{0, -1, 1}, 1}, {{0, -1, 1}, 0},
  };
  sites.RegSites()[1].CateID = -1;
  renumber(tree, cates, sites);
  EXPECT_EQ(cates.Cates()[0].Text, "b");
  EXPECT_EQ(cates.Cates()[1].Text, "a");
  EXPECT_EQ(cates.Cates()[1].ParentID, 1);
  EXPECT_EQ(sites.RegSites()[0].Name, "0");
  EXPECT_EQ(sites.RegSites()[0].CateID, 0);
  EXPECT_EQ(sites.RegSites()[1].Name, "2");
  EXPECT_EQ(sites.RegSites()[1].CateID, 1);
  EXPECT_EQ(sites.RegSites()[2].Name, "1");  // under the missing folder: skipped there, placed at the top
  EXPECT_EQ(sites.RegSites()[2].CateID, -1);

  auto back = reload(cates, sites);
  EXPECT_EQ(back.cates->Cates()[1].ParentID, 0);  // a under b, b now at position 0
  EXPECT_EQ(back.sites->RegSites()[0].CateID, 1);
  EXPECT_EQ(back.sites->RegSites()[1].CateID, 0);
  // An empty tree changes nothing.
  renumber({}, cates, sites);
  EXPECT_EQ(cates.Cates()[0].Text, "b");
}

TEST(TreeOrder, DeleteCategoryTakesItsWholeSubtreeOnly) {
  TLMCateList cates;
  TRegSiteList sites;
  cates.Cates().add();               // 0
  cates.Cates().add().ParentID = 0;  // 1 below 0
  cates.Cates().add().ParentID = 1;  // 2 below 1
  cates.Cates().add();               // 3 sibling of 0
  for (int c : {0, 1, 2, 3, -1}) sites.RegSites().add().CateID = c;
  EXPECT_TRUE(deleteCategory(1, cates, sites));
  ASSERT_EQ(cates.Cates().count(), 2);
  EXPECT_EQ(cates.Cates()[0].ID(), 0);
  EXPECT_EQ(cates.Cates()[1].ID(), 3);
  ASSERT_EQ(sites.RegSites().count(), 3);
  EXPECT_EQ(sites.RegSites()[0].CateID, 0);
  EXPECT_EQ(sites.RegSites()[1].CateID, 3);
  EXPECT_EQ(sites.RegSites()[2].CateID, -1);
  EXPECT_FALSE(deleteCategory(1, cates, sites));
}
