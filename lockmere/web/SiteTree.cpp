#include "lockmere/web/SiteTree.h"

#include <algorithm>

namespace web {

int siteImage(int loginType) {
  return loginType >= store::kLoginAutomatic && loginType <= store::kLoginByScript ? loginType + 1 : -1;
}

bool TreeNode::isAncestorOf(const TreeNode* other) const {
  for (const TreeNode* p = other ? other->parent_ : nullptr; p; p = p->parent_)
    if (p == this) return true;
  return false;
}

void TreeNode::setText(QString text) {
  text_ = std::move(text);
  searchKey_ = text_.toUpper();
}

SiteTree::SiteTree() : root_(std::make_unique<TreeNode>()) {}

SiteTree::~SiteTree() = default;

void SiteTree::addObserver(TreeObserver* observer) { observers_.push_back(observer); }

void SiteTree::removeObserver(TreeObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void SiteTree::load(store::TLMCateList& cates, store::TRegSiteList& sites) {
  notify([](TreeObserver* o) { o->beginReset(); });
  root_->children_.clear();
  folderNodes_.clear();
  siteNodes_.clear();
  cateList_ = &cates;
  siteList_ = &sites;

  const std::vector<store::TreeEntry> order = store::buildTreeOrder(cates, sites);
  folderNodes_.reserve(static_cast<std::size_t>(cates.Cates().count()));
  siteNodes_.reserve(static_cast<std::size_t>(sites.RegSites().count()));
  // parents[d] is the node that entries of depth d are filed under.
  std::vector<TreeNode*> parents{root_.get()};
  for (const store::TreeEntry& e : order) {
    const auto depth = static_cast<std::size_t>(e.depth);
    if (depth >= parents.size()) continue;  // buildTreeOrder never skips a level
    TreeNode* parent = parents[depth];
    auto node = std::make_unique<TreeNode>();
    node->link_ = e.link;
    node->parent_ = parent;
    node->row_ = parent->childCount();
    if (e.link.folder) {
      const store::TCateItem* cate = cates.Cates().findById(e.link.cateId);
      node->setText(QString::fromStdString(cate->Text));
      node->image_ = kFolderImage;
      folderNodes_[e.link.cateId] = node.get();
      parents.resize(depth + 1);
      parents.push_back(node.get());
    } else {
      const store::TRegSiteCollItem* site = sites.RegSites().findById(e.link.siteId);
      node->setText(QString::fromStdString(site->Name));
      node->image_ = siteImage(site->LoginType);
      siteNodes_[e.link.siteId] = node.get();
    }
    parent->children_.push_back(std::move(node));
  }
  notify([](TreeObserver* o) { o->endReset(); });
}

void SiteTree::clear() {
  notify([](TreeObserver* o) { o->beginReset(); });
  root_->children_.clear();
  folderNodes_.clear();
  siteNodes_.clear();
  cateList_ = nullptr;
  siteList_ = nullptr;
  notify([](TreeObserver* o) { o->endReset(); });
}

TreeNode* SiteTree::first() const { return root_->children_.empty() ? nullptr : root_->child(0); }

TreeNode* SiteTree::next(const TreeNode* node) {
  if (!node) return nullptr;
  if (!node->children_.empty()) return node->child(0);
  return nextSkippingChildren(node);
}

TreeNode* SiteTree::nextSkippingChildren(const TreeNode* node) {
  for (const TreeNode* n = node; n && n->parent_; n = n->parent_)
    if (n->row_ + 1 < n->parent_->childCount()) return n->parent_->child(n->row_ + 1);
  return nullptr;
}

TreeNode* SiteTree::folderNode(int cateId) const {
  auto it = folderNodes_.find(cateId);
  return it == folderNodes_.end() ? nullptr : it->second;
}

TreeNode* SiteTree::siteNode(int siteId) const {
  auto it = siteNodes_.find(siteId);
  return it == siteNodes_.end() ? nullptr : it->second;
}

std::vector<store::TreeEntry> SiteTree::treeOrder() const {
  std::vector<store::TreeEntry> order;
  order.reserve(static_cast<std::size_t>(nodeCount()));
  struct Frame {
    const TreeNode* node;
    int depth;
  };
  std::vector<Frame> stack;
  for (int i = root_->childCount() - 1; i >= 0; --i) stack.push_back({root_->child(i), 0});
  while (!stack.empty()) {
    const Frame f = stack.back();
    stack.pop_back();
    order.push_back({f.node->link_, f.depth});
    for (int i = f.node->childCount() - 1; i >= 0; --i) stack.push_back({f.node->child(i), f.depth + 1});
  }
  return order;
}

store::TCateItem* SiteTree::category(const TreeNode* node) const {
  if (!cateList_ || !node || !node->isFolder()) return nullptr;
  return cateList_->Cates().findById(node->cateId());
}

store::TRegSiteCollItem* SiteTree::site(const TreeNode* node) const {
  if (!siteList_ || !node || node == root_.get() || node->isFolder()) return nullptr;
  return siteList_->RegSites().findById(node->siteId());
}

TreeNode* SiteTree::addFolder(const TreeNode* selected, const QString& name) {
  const QString text = name.trimmed();
  if (!isLoaded() || text.isEmpty()) return nullptr;
  TreeNode* parent = root_.get();
  if (selected && selected != root_.get())
    parent = selected->isFolder() ? const_cast<TreeNode*>(selected) : selected->parent_;
  store::TCateItem& cate = cateList_->Cates().add();
  cate.Text = text.toStdString();
  cate.ParentID = parent == root_.get() ? -1 : parent->cateId();
  const TreeNode* before = firstSiteChild(parent);
  return newNode(parent, before ? before->row_ : parent->childCount(), {1, cate.ID(), -1}, text, kFolderImage);
}

bool SiteTree::renameFolder(TreeNode* folder, const QString& name) {
  const QString text = name.trimmed();
  store::TCateItem* cate = category(folder);
  if (!cate || text.isEmpty()) return false;
  cate->Text = text.toStdString();
  folder->setText(text);
  notify([folder](TreeObserver* o) { o->changed(folder); });
  return true;
}

bool SiteTree::remove(TreeNode* node) {
  if (!isLoaded() || !node || node == root_.get()) return false;
  // Only the node and what lies below it: the walk stops at the end of the
  // subtree, so whatever follows it in the tree keeps its records.
  const TreeNode* end = nextSkippingChildren(node);
  for (const TreeNode* n = node; n && n != end; n = next(n)) {
    if (n->isFolder())
      cateList_->Cates().removeById(n->cateId());
    else
      siteList_->RegSites().removeById(n->siteId());
    forget(n);
  }
  TreeNode* parent = node->parent_;
  const int row = node->row_;
  notify([parent, row](TreeObserver* o) { o->beginRemove(parent, row); });
  parent->children_.erase(parent->children_.begin() + row);
  renumberRows(parent, row);
  notify([](TreeObserver* o) { o->endRemove(); });
  return true;
}

bool SiteTree::acceptsDrop(const TreeNode* dragged, const TreeNode* target) const {
  if (target == root_.get()) target = nullptr;
  if (!dragged || dragged == root_.get() || dragged == target) return false;
  if (!dragged->isFolder()) return true;
  if (!target) return true;
  return target->isFolder() && !dragged->isAncestorOf(target);
}

bool SiteTree::drop(TreeNode* dragged, TreeNode* target) {
  if (target == root_.get()) target = nullptr;
  if (!isLoaded() || !acceptsDrop(dragged, target)) return false;
  TreeNode* top = root_.get();

  if (dragged->isFolder()) {
    store::TCateItem* cate = category(dragged);
    if (!cate) return false;
    if (!target) {
      cate->ParentID = -1;
      moveNode(dragged, top, firstSiteChild(top));
      return true;
    }
    const store::TCateItem* into = category(target);
    if (!into) return false;
    cate->ParentID = into->ID();
    moveNode(dragged, target, firstSiteChild(target));
    return true;
  }

  store::TRegSiteCollItem* s = site(dragged);
  if (!s) return false;
  if (!target) {
    s->CateID = -1;
    moveNode(dragged, top, nullptr);
    return true;
  }
  if (target->isFolder()) {
    const store::TCateItem* into = category(target);
    if (!into) return false;
    s->CateID = into->ID();
    moveNode(dragged, target, nullptr);
    return true;
  }
  store::TRegSiteCollItem* t = site(target);
  if (!t) return false;
  // The two records exchange their collection positions.
  store::TRegSiteCollection& c = siteList_->RegSites();
  const int targetIndex = c.indexOf(t->ID());
  c.move(targetIndex, c.indexOf(s->ID()));
  c.move(c.indexOf(s->ID()), targetIndex);
  if (s->CateID == t->CateID) {
    moveNode(dragged, target->parent_, target);
  } else {
    s->CateID = target->isTopLevel() ? -1 : target->parent_->cateId();
    moveNode(dragged, target->parent_, nullptr);
  }
  return true;
}

TreeNode* SiteTree::addSiteNode(int siteId) {
  const store::TRegSiteCollItem* s = siteList_ ? siteList_->RegSites().findById(siteId) : nullptr;
  if (!s) return nullptr;
  if (TreeNode* existing = siteNode(siteId)) return existing;
  TreeNode* parent = s->CateID == -1 ? nullptr : folderNode(s->CateID);
  if (!parent) parent = root_.get();
  return newNode(parent, parent->childCount(), {0, -1, siteId}, QString::fromStdString(s->Name),
                 siteImage(s->LoginType));
}

bool SiteTree::updateSiteNode(int siteId) {
  TreeNode* node = siteNode(siteId);
  const store::TRegSiteCollItem* s = site(node);
  if (!s) return false;
  node->setText(QString::fromStdString(s->Name));
  node->image_ = siteImage(s->LoginType);
  notify([node](TreeObserver* o) { o->changed(node); });
  TreeNode* parent = s->CateID == -1 ? nullptr : folderNode(s->CateID);
  if (!parent) parent = root_.get();
  if (node->parent_ != parent) moveNode(node, parent, nullptr);
  return true;
}

TreeNode* SiteTree::firstSiteSibling(TreeNode* node) {
  if (!node || !node->parent_) return nullptr;
  TreeNode* parent = node->parent_;
  for (int row = node->row_; row < parent->childCount(); ++row)
    if (!parent->child(row)->isFolder()) return parent->child(row);
  return nullptr;
}

TreeNode* SiteTree::newNode(TreeNode* parent, int row, const store::NodeLink& link, QString text, int image) {
  notify([parent, row](TreeObserver* o) { o->beginInsert(parent, row); });
  auto owned = std::make_unique<TreeNode>();
  TreeNode* node = owned.get();
  node->link_ = link;
  node->setText(std::move(text));
  node->image_ = image;
  node->parent_ = parent;
  parent->children_.insert(parent->children_.begin() + row, std::move(owned));
  renumberRows(parent, row);
  if (link.folder)
    folderNodes_[link.cateId] = node;
  else
    siteNodes_[link.siteId] = node;
  notify([](TreeObserver* o) { o->endInsert(); });
  return node;
}

void SiteTree::moveNode(TreeNode* node, TreeNode* newParent, TreeNode* before) {
  TreeNode* oldParent = node->parent_;
  const int oldRow = node->row_;
  const int toRow = before ? before->row_ : newParent->childCount();
  if (oldParent == newParent && (toRow == oldRow || toRow == oldRow + 1)) return;  // already there
  notify([=](TreeObserver* o) { o->beginMove(oldParent, oldRow, newParent, toRow); });
  std::unique_ptr<TreeNode> owned = std::move(oldParent->children_[static_cast<std::size_t>(oldRow)]);
  oldParent->children_.erase(oldParent->children_.begin() + oldRow);
  const int row = oldParent == newParent && toRow > oldRow ? toRow - 1 : toRow;
  node->parent_ = newParent;
  newParent->children_.insert(newParent->children_.begin() + row, std::move(owned));
  renumberRows(oldParent, oldParent == newParent ? std::min(oldRow, row) : oldRow);
  if (oldParent != newParent) renumberRows(newParent, row);
  notify([](TreeObserver* o) { o->endMove(); });
}

TreeNode* SiteTree::firstSiteChild(const TreeNode* parent) {
  for (const auto& child : parent->children_)
    if (!child->isFolder()) return child.get();
  return nullptr;
}

void SiteTree::forget(const TreeNode* node) {
  if (node->isFolder())
    folderNodes_.erase(node->cateId());
  else
    siteNodes_.erase(node->siteId());
}

void SiteTree::renumberRows(TreeNode* parent, int from) {
  for (int i = std::max(from, 0); i < parent->childCount(); ++i)
    parent->children_[static_cast<std::size_t>(i)]->row_ = i;
}

}  // namespace web
