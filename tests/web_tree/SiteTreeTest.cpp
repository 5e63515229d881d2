#include <gtest/gtest.h>

#include <random>

#include "lockmere/web/SiteTree.h"
#include "tests/web_tree/TreeFixture.h"

using treetest::outline;
using web::SiteTree;
using web::TreeNode;

namespace {

TreeNode* find(const SiteTree& tree, const QString& text) {
  for (TreeNode* n = tree.first(); n; n = SiteTree::next(n))
    if (n->text() == text) return n;
  return nullptr;
}

// Work/[Mail/[inbox] bank shop] Games/ top1 top2, filed in a mixed-up
// collection order.
struct Sample : treetest::Session {
  SiteTree tree;
  int work, mail, games;

  Sample() {
    addSite("top1");
    work = addCate("Work").ID();
    addSite("bank", work);
    games = addCate("Games").ID();
    mail = addCate("Mail", work).ID();
    addSite("inbox", mail, 2);
    addSite("shop", work, 5);
    addSite("top2");
    tree.load(store->cates(), store->sites());
  }
  TreeNode* node(const char* text) const { return find(tree, QString::fromUtf8(text)); }
  store::TCateItem& cate(const char* text) const { return *tree.category(node(text)); }
  store::TRegSiteCollItem& site(const char* text) const { return *tree.site(node(text)); }
  int siteIndex(const char* text) const { return store->sites().RegSites().indexOf(site(text).ID()); }
};

TEST(SiteTree, LoadShowsFoldersBeforeSitesAndCarriesLinksAndImages) {
  Sample s;
  EXPECT_EQ(outline(s.tree), "Work/[Mail/[inbox] bank shop] Games/ top1 top2");
  const TreeNode* work = s.node("Work");
  EXPECT_EQ(work->link().folder, 1);
  EXPECT_EQ(work->cateId(), s.work);
  EXPECT_EQ(work->imageIndex(), web::kFolderImage);
  EXPECT_EQ(work->selectedImageIndex(), web::kOpenFolderImage);
  const TreeNode* inbox = s.node("inbox");
  EXPECT_EQ(inbox->link().folder, 0);
  EXPECT_EQ(inbox->siteId(), s.site("inbox").ID());
  EXPECT_EQ(inbox->imageIndex(), 3);
  EXPECT_EQ(s.node("shop")->imageIndex(), 6);
  EXPECT_EQ(web::siteImage(0), -1);
  EXPECT_EQ(web::siteImage(6), -1);
  EXPECT_EQ(s.tree.nodeCount(), 8);
}

TEST(SiteTree, NewFolderGoesBeforeTheFirstSiteOfWhereTheSelectionIs) {
  Sample s;
  // Nothing selected, and a top-level site selected: the top level.
  TreeNode* a = s.tree.addFolder(nullptr, "A");
  ASSERT_TRUE(a);
  EXPECT_EQ(s.tree.category(a)->ParentID, -1);
  TreeNode* b = s.tree.addFolder(s.node("top2"), "  B  ");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->text(), "B");
  EXPECT_EQ(s.tree.category(b)->Text, "B");
  EXPECT_EQ(outline(s.tree), "Work/[Mail/[inbox] bank shop] Games/ A/ B/ top1 top2");
  // A folder selected: inside it, before its first site.
  TreeNode* c = s.tree.addFolder(s.node("Work"), "C");
  EXPECT_EQ(s.tree.category(c)->ParentID, s.work);
  // A site in a folder selected: beside it, before the folder's first site.
  TreeNode* d = s.tree.addFolder(s.node("shop"), "D");
  EXPECT_EQ(s.tree.category(d)->ParentID, s.work);
  // A folder with no site: last.
  TreeNode* e = s.tree.addFolder(s.node("Games"), "E");
  EXPECT_EQ(s.tree.category(e)->ParentID, s.games);
  EXPECT_EQ(outline(s.tree), "Work/[Mail/[inbox] C/ D/ bank shop] Games/[E/] A/ B/ top1 top2");
  EXPECT_EQ(e->link().folder, 1);
  EXPECT_EQ(e->cateId(), s.tree.category(e)->ID());

  // No name: nothing added.
  EXPECT_EQ(s.tree.addFolder(nullptr, "   "), nullptr);
  EXPECT_EQ(s.store->cates().Cates().count(), 8);

  ASSERT_TRUE(s.save(s.tree));
  EXPECT_EQ(s.reloadedOutline(), outline(s.tree));
}

TEST(SiteTree, RenameChangesFolderAndRecordButNotSites) {
  Sample s;
  EXPECT_TRUE(s.tree.renameFolder(s.node("Mail"), "Post"));
  EXPECT_EQ(s.cate("Post").Text, "Post");
  EXPECT_EQ(s.node("Post")->searchKey(), "POST");
  EXPECT_FALSE(s.tree.renameFolder(s.node("inbox"), "x"));
  EXPECT_FALSE(s.tree.renameFolder(s.node("Games"), " "));
  EXPECT_EQ(outline(s.tree), "Work/[Post/[inbox] bank shop] Games/ top1 top2");
  ASSERT_TRUE(s.save(s.tree));
  EXPECT_EQ(s.reloadedOutline(), outline(s.tree));
}

TEST(SiteTree, DeletingAFolderThatIsItsParentsLastChildKeepsWhatFollows) {
  treetest::Session s;
  const int p = s.addCate("P").ID();
  const int x = s.addCate("X", p).ID();
  const int q = s.addCate("Q", p).ID();
  const int r = s.addCate("R", q).ID();
  const int after = s.addCate("After").ID();
  s.addSite("x1", x);
  s.addSite("q1", q);
  s.addSite("r1", r);
  s.addSite("a1", after);
  s.addSite("top");
  SiteTree tree;
  tree.load(s.store->cates(), s.store->sites());
  ASSERT_EQ(outline(tree), "P/[X/[x1] Q/[R/[r1] q1]] After/[a1] top");

  ASSERT_TRUE(tree.remove(find(tree, "Q")));
  EXPECT_EQ(outline(tree), "P/[X/[x1]] After/[a1] top");
  std::vector<std::string> cates, sites;
  for (int i = 0; i < s.store->cates().Cates().count(); ++i) cates.push_back(s.store->cates().Cates()[i].Text);
  for (int i = 0; i < s.store->sites().RegSites().count(); ++i) sites.push_back(s.store->sites().RegSites()[i].Name);
  EXPECT_EQ(cates, (std::vector<std::string>{"P", "X", "After"}));
  EXPECT_EQ(sites, (std::vector<std::string>{"x1", "a1", "top"}));
  EXPECT_EQ(tree.folderNode(r), nullptr);
  EXPECT_EQ(tree.nodeCount(), 6);

  ASSERT_TRUE(tree.remove(find(tree, "top")));
  EXPECT_EQ(s.store->sites().RegSites().count(), 2);
  ASSERT_TRUE(s.save(tree));
  EXPECT_EQ(s.reloadedOutline(), "P/[X/[x1]] After/[a1]");
}

TEST(SiteTree, RefusedDropsChangeNothing) {
  Sample s;
  const int sub = s.addCate("Sub", s.mail).ID();
  s.tree.load(s.store->cates(), s.store->sites());
  const QString before = outline(s.tree);
  struct Case {
    const char* dragged;
    const char* target;  // nullptr: empty space
  };
  for (const Case c : {Case{"Work", "Work"}, Case{"inbox", "inbox"}, Case{"Games", "top1"}, Case{"Mail", "bank"},
                       Case{"Work", "Mail"}, Case{"Work", "Sub"}}) {
    SCOPED_TRACE(std::string(c.dragged) + " onto " + c.target);
    EXPECT_FALSE(s.tree.acceptsDrop(s.node(c.dragged), s.node(c.target)));
    EXPECT_FALSE(s.tree.drop(s.node(c.dragged), s.node(c.target)));
  }
  EXPECT_FALSE(s.tree.acceptsDrop(nullptr, s.node("Work")));
  EXPECT_EQ(outline(s.tree), before);
  EXPECT_EQ(s.cate("Work").ParentID, -1);
  EXPECT_EQ(s.cate("Mail").ParentID, s.work);
  EXPECT_EQ(s.cate("Sub").ParentID, s.mail);

  // What is allowed: a folder onto a folder or empty space, a site anywhere.
  EXPECT_TRUE(s.tree.acceptsDrop(s.node("Mail"), s.node("Games")));
  EXPECT_TRUE(s.tree.acceptsDrop(s.node("Sub"), s.node("Work")));
  EXPECT_TRUE(s.tree.acceptsDrop(s.node("Mail"), nullptr));
  for (const char* target : {"Work", "Mail", "bank", "top1"})
    EXPECT_TRUE(s.tree.acceptsDrop(s.node("inbox"), s.node(target)));
  EXPECT_TRUE(s.tree.acceptsDrop(s.node("inbox"), nullptr));
  (void)sub;
}

TEST(SiteTree, FolderDropsGoBeforeTheFirstSite) {
  Sample s;
  ASSERT_TRUE(s.tree.drop(s.node("Games"), s.node("Work")));
  EXPECT_EQ(s.cate("Games").ParentID, s.work);
  EXPECT_EQ(outline(s.tree), "Work/[Mail/[inbox] Games/ bank shop] top1 top2");
  // Onto a folder without sites: last child.
  ASSERT_TRUE(s.tree.drop(s.node("Mail"), s.node("Games")));
  EXPECT_EQ(s.cate("Mail").ParentID, s.games);
  EXPECT_EQ(outline(s.tree), "Work/[Games/[Mail/[inbox]] bank shop] top1 top2");
  // Onto empty space: the top level, before its first site.
  ASSERT_TRUE(s.tree.drop(s.node("Mail"), nullptr));
  EXPECT_EQ(s.cate("Mail").ParentID, -1);
  EXPECT_EQ(outline(s.tree), "Work/[Games/ bank shop] Mail/[inbox] top1 top2");
  ASSERT_TRUE(s.save(s.tree));
  EXPECT_EQ(s.reloadedOutline(), outline(s.tree));
}

TEST(SiteTree, SiteDropsFileTheSiteAndExchangePositions) {
  Sample s;
  // Onto a folder: its last child.
  ASSERT_TRUE(s.tree.drop(s.node("top1"), s.node("Mail")));
  EXPECT_EQ(s.site("top1").CateID, s.mail);
  EXPECT_EQ(outline(s.tree), "Work/[Mail/[inbox top1] bank shop] Games/ top2");

  // Onto a site of the same folder: before it; the records swap places.
  const int shopIndex = s.siteIndex("shop"), bankIndex = s.siteIndex("bank");
  ASSERT_TRUE(s.tree.drop(s.node("shop"), s.node("bank")));
  EXPECT_EQ(outline(s.tree), "Work/[Mail/[inbox top1] shop bank] Games/ top2");
  EXPECT_EQ(s.siteIndex("shop"), bankIndex);
  EXPECT_EQ(s.siteIndex("bank"), shopIndex);

  // Onto a site of another folder: filed there, last; the records swap places.
  const int topIndex = s.siteIndex("top2"), inboxIndex = s.siteIndex("inbox");
  ASSERT_TRUE(s.tree.drop(s.node("top2"), s.node("inbox")));
  EXPECT_EQ(s.site("top2").CateID, s.mail);
  EXPECT_EQ(s.siteIndex("top2"), inboxIndex);
  EXPECT_EQ(s.siteIndex("inbox"), topIndex);
  EXPECT_EQ(outline(s.tree), "Work/[Mail/[inbox top1 top2] shop bank] Games/");

  // Onto a top-level site, and onto empty space: the end of the top level.
  ASSERT_TRUE(s.tree.drop(s.node("bank"), nullptr));
  EXPECT_EQ(s.site("bank").CateID, -1);
  ASSERT_TRUE(s.tree.drop(s.node("inbox"), s.node("bank")));
  EXPECT_EQ(s.site("inbox").CateID, -1);
  EXPECT_EQ(outline(s.tree), "Work/[Mail/[top1 top2] shop] Games/ bank inbox");
  ASSERT_TRUE(s.save(s.tree));
  EXPECT_EQ(s.reloadedOutline(), outline(s.tree));
}

TEST(SiteTree, ADropWhoseRecordIsGoneChangesNothing) {
  Sample s;
  s.store->sites().RegSites().removeById(s.site("top1").ID());
  const QString before = outline(s.tree);
  EXPECT_FALSE(s.tree.drop(s.node("top1"), s.node("Games")));
  EXPECT_FALSE(s.tree.drop(s.node("bank"), s.node("top1")));
  s.store->cates().Cates().removeById(s.games);
  EXPECT_FALSE(s.tree.drop(s.node("Mail"), s.node("Games")));
  EXPECT_FALSE(s.tree.drop(s.node("shop"), s.node("Games")));
  EXPECT_EQ(outline(s.tree), before);
  EXPECT_EQ(s.site("bank").CateID, s.work);
  EXPECT_EQ(s.cate("Mail").ParentID, s.work);
}

TEST(SiteTree, FirstSiteSibling) {
  Sample s;
  EXPECT_EQ(SiteTree::firstSiteSibling(s.node("Work")), s.node("top1"));
  EXPECT_EQ(SiteTree::firstSiteSibling(s.node("Mail")), s.node("bank"));
  EXPECT_EQ(SiteTree::firstSiteSibling(s.node("shop")), s.node("shop"));
  EXPECT_EQ(SiteTree::firstSiteSibling(s.node("Games")), s.node("top1"));
  s.tree.remove(s.node("top1"));
  s.tree.remove(s.node("top2"));
  EXPECT_EQ(SiteTree::firstSiteSibling(s.node("Games")), nullptr);
  EXPECT_EQ(SiteTree::firstSiteSibling(nullptr), nullptr);
}

TEST(SiteTree, SiteFormNodesFollowTheirRecords) {
  Sample s;
  store::TRegSiteCollItem& added = s.store->sites().RegSites().insertSite([&] {
    store::TRegSiteCollItem site;
    site.Name = "new";
    site.CateID = s.mail;
    site.LoginType = 4;
    return site;
  }());
  TreeNode* node = s.tree.addSiteNode(added.ID());
  ASSERT_TRUE(node);
  EXPECT_EQ(node->imageIndex(), 5);
  EXPECT_EQ(outline(s.tree), "Work/[Mail/[inbox new] bank shop] Games/ top1 top2");
  added.Name = "renamed";
  added.CateID = -1;
  added.LoginType = 2;
  ASSERT_TRUE(s.tree.updateSiteNode(added.ID()));
  EXPECT_EQ(node->imageIndex(), 3);
  EXPECT_EQ(outline(s.tree), "Work/[Mail/[inbox] bank shop] Games/ top1 top2 renamed");
  EXPECT_FALSE(s.tree.updateSiteNode(12345));
}

// Random operations, each saved and read back as a fresh login would: the file
// always holds the tree as it is shown.
TEST(SiteTree, EveryChangeSavesAndReloadsAsShown) {
  Sample s;
  std::mt19937 rng(19);
  const auto anyNode = [&]() -> TreeNode* {
    const int n = s.tree.nodeCount();
    if (!n) return nullptr;
    int k = static_cast<int>(rng() % static_cast<unsigned>(n + 1));
    for (TreeNode* node = s.tree.first(); node; node = SiteTree::next(node))
      if (k-- == 0) return node;
    return nullptr;  // empty space, or nothing selected
  };
  int changes = 0;
  for (int step = 0; step < 60; ++step) {
    bool changed = false;
    switch (rng() % 6) {
      case 0:
        changed = s.tree.addFolder(anyNode(), "F" + QString::number(step)) != nullptr;
        break;
      case 1:
        changed = s.tree.remove(anyNode());
        break;
      case 2: {
        const TreeNode* folder = anyNode();
        const int cateId = folder && folder->isFolder() ? folder->cateId() : -1;
        changed = s.tree.addSiteNode(s.addSite("s" + std::to_string(step), cateId).ID()) != nullptr;
        break;
      }
      default:
        changed = s.tree.drop(anyNode(), anyNode());
        break;
    }
    if (!changed) continue;
    ++changes;
    ASSERT_TRUE(s.save(s.tree)) << s.store->errorString();
    ASSERT_EQ(s.reloadedOutline(), outline(s.tree)) << "step " << step;
  }
  EXPECT_GT(changes, 20);
}

}  // namespace
