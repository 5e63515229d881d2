#pragma once

#include <QString>
#include <memory>
#include <string>

#include "lockmere/store/UserStore.h"
#include "lockmere/web/SiteTree.h"
#include "tests/store/StoreFixture.h"

// A logged-in user's session over a real data file, and the site tree on its
// lists, for the tree's tests.
namespace treetest {

// The tree as an outline: "Name" for a site, "Name/" for a folder, children in
// brackets after their folder: "A/[B/[x] y] z".
inline QString outline(const web::TreeNode* parent) {
  QString out;
  for (int i = 0; i < parent->childCount(); ++i) {
    const web::TreeNode* n = parent->child(i);
    if (!out.isEmpty()) out += u' ';
    out += n->text();
    if (n->isFolder()) {
      out += u'/';
      if (n->childCount()) out += u'[' + outline(n) + u']';
    }
  }
  return out;
}

inline QString outline(const web::SiteTree& tree) { return outline(tree.root()); }

inline crypto::SecureBytes copyKey(const crypto::SecureBytes& key) { return crypto::SecureBytes(key); }

struct Session {
  storetest::TestUser user{"treeuser", "secret"};
  std::unique_ptr<store::UserStore> store;

  Session() {
    store = std::make_unique<store::UserStore>(user.id, user.path, copyKey(user.dataKey));
    if (!store->load()) throw std::runtime_error(store->errorString());
  }

  store::TCateItem& addCate(const std::string& name, int parentId = -1) {
    store::TCateItem& c = store->cates().Cates().add();
    c.Text = name;
    c.ParentID = parentId;
    return c;
  }
  store::TRegSiteCollItem& addSite(const std::string& name, int cateId = -1, int loginType = 1) {
    store::TRegSiteCollItem& s = store->sites().RegSites().add();
    s.Name = name;
    s.URL = "https://" + name + ".example/login";
    s.CateID = cateId;
    s.LoginType = static_cast<std::uint8_t>(loginType);
    return s;
  }

  bool save(const web::SiteTree& tree) { return store->save(tree.treeOrder()); }

  // What a fresh login reads from the data file now, as an outline.
  QString reloadedOutline() const {
    store::UserStore again(user.id, user.path, copyKey(user.dataKey));
    if (!again.load()) return "load failed: " + QString::fromStdString(again.errorString());
    web::SiteTree tree;
    tree.load(again.cates(), again.sites());
    return outline(tree);
  }
};

}  // namespace treetest
