#pragma once

#include <QString>
#include <memory>
#include <unordered_map>
#include <vector>

#include "lockmere/store/CategoryModel.h"
#include "lockmere/store/SiteModel.h"
#include "lockmere/store/TreeOrder.h"

// The user's folders and sites as a tree, and everything the site tree does to
// them: add a folder, rename it, delete a node with all below it, move nodes by
// drag and drop. Free of widgets; the frame shows it through an item model that
// listens as a TreeObserver.
namespace web {

// Image indexes of the tree's image list.
inline constexpr int kOpenFolderImage = 0;
inline constexpr int kFolderImage = 1;
// The image of a site with this login type (2..6 for types 1..5), -1 for a type
// the list has no image for.
int siteImage(int loginType);

class TreeNode {
 public:
  const store::NodeLink& link() const { return link_; }
  bool isFolder() const { return link_.folder != 0; }
  int cateId() const { return link_.cateId; }
  int siteId() const { return link_.siteId; }
  const QString& text() const { return text_; }
  // The text upper-cased, as the search compares it.
  const QString& searchKey() const { return searchKey_; }
  int imageIndex() const { return image_; }
  int selectedImageIndex() const { return isFolder() ? kOpenFolderImage : image_; }

  // The hidden root holds the top level; it has no parent.
  TreeNode* parent() const { return parent_; }
  bool isTopLevel() const { return parent_ && !parent_->parent_; }
  int row() const { return row_; }
  int childCount() const { return static_cast<int>(children_.size()); }
  TreeNode* child(int row) const { return children_[static_cast<std::size_t>(row)].get(); }
  // True when other lies below this node (at any depth).
  bool isAncestorOf(const TreeNode* other) const;

 private:
  friend class SiteTree;
  void setText(QString text);

  store::NodeLink link_;
  QString text_;
  QString searchKey_;
  int image_ = -1;
  TreeNode* parent_ = nullptr;
  int row_ = 0;
  std::vector<std::unique_ptr<TreeNode>> children_;
};

// Told about every change of the tree's shape, before and after, in the terms
// an item model needs. A null parent is never passed: the top level is the root.
class TreeObserver {
 public:
  virtual ~TreeObserver() = default;
  virtual void beginReset() {}
  virtual void endReset() {}
  virtual void beginInsert(TreeNode* /*parent*/, int /*row*/) {}
  virtual void endInsert() {}
  virtual void beginRemove(TreeNode* /*parent*/, int /*row*/) {}
  virtual void endRemove() {}
  // toRow counts the destination's rows before the node leaves its old place.
  virtual void beginMove(TreeNode* /*from*/, int /*fromRow*/, TreeNode* /*to*/, int /*toRow*/) {}
  virtual void endMove() {}
  virtual void changed(TreeNode* /*node*/) {}
};

class SiteTree {
 public:
  SiteTree();
  ~SiteTree();
  SiteTree(const SiteTree&) = delete;
  SiteTree& operator=(const SiteTree&) = delete;

  void addObserver(TreeObserver* observer);
  void removeObserver(TreeObserver* observer);

  // Builds the tree of a loaded store in the order the lists imply and works
  // on these lists until clear() (they must outlive that).
  void load(store::TLMCateList& cates, store::TRegSiteList& sites);
  // Empties the tree and lets go of the lists (logout).
  void clear();
  bool isLoaded() const { return cateList_ != nullptr; }

  TreeNode* root() const { return root_.get(); }
  int nodeCount() const { return static_cast<int>(folderNodes_.size() + siteNodes_.size()); }
  // Depth first, each node before its children: the first node, and the one
  // after node (nullptr at the end).
  TreeNode* first() const;
  static TreeNode* next(const TreeNode* node);
  // The node after node's whole subtree.
  static TreeNode* nextSkippingChildren(const TreeNode* node);
  TreeNode* folderNode(int cateId) const;
  TreeNode* siteNode(int siteId) const;

  // The tree in display order, for the renumbering of a save.
  std::vector<store::TreeEntry> treeOrder() const;

  // The records behind a node; nullptr when the node has none (or is of the
  // other kind).
  store::TCateItem* category(const TreeNode* node) const;
  store::TRegSiteCollItem* site(const TreeNode* node) const;

  // A new folder named name, placed by what is selected: nothing or a top-level
  // site - top level; a folder - inside it; a site in a folder - beside that
  // site. It goes before the first site among its new siblings. Nothing is
  // added (nullptr) for a name that is empty once trimmed.
  TreeNode* addFolder(const TreeNode* selected, const QString& name);
  // False for a node that is not a folder, a folder without its record, or a
  // name that is empty once trimmed.
  bool renameFolder(TreeNode* folder, const QString& name);
  // Deletes the node with its whole subtree and the records of all of them.
  bool remove(TreeNode* node);

  // Whether dragged may be dropped on target (nullptr = empty space of the
  // tree): never on itself; a folder only on a folder outside its own subtree
  // or on empty space; a site anywhere.
  bool acceptsDrop(const TreeNode* dragged, const TreeNode* target) const;
  // Files dragged under target (nullptr = empty space) and moves its node.
  // False, with nothing changed, when the drop is not accepted or a record is
  // missing.
  bool drop(TreeNode* dragged, TreeNode* target);

  // For the site form: a node for a site just added to the list (last child of
  // its folder, or last at the top level), and the node of an edited site
  // brought up to date (text, image, folder).
  TreeNode* addSiteNode(int siteId);
  bool updateSiteNode(int siteId);

  // node itself, or the first of its following siblings that is not a folder.
  static TreeNode* firstSiteSibling(TreeNode* node);

 private:
  TreeNode* newNode(TreeNode* parent, int row, const store::NodeLink& link, QString text, int image);
  // Moves node to stand before `before` among newParent's children (at the end
  // when before is nullptr).
  void moveNode(TreeNode* node, TreeNode* newParent, TreeNode* before);
  static TreeNode* firstSiteChild(const TreeNode* parent);
  void forget(const TreeNode* node);
  static void renumberRows(TreeNode* parent, int from);

  template <typename F>
  void notify(F f) {
    for (TreeObserver* o : observers_) f(o);
  }

  std::unique_ptr<TreeNode> root_;
  store::TLMCateList* cateList_ = nullptr;
  store::TRegSiteList* siteList_ = nullptr;
  std::unordered_map<int, TreeNode*> folderNodes_;  // by category ID
  std::unordered_map<int, TreeNode*> siteNodes_;    // by site ID
  std::vector<TreeObserver*> observers_;
};

}  // namespace web
