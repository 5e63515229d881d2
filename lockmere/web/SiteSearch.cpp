#include "lockmere/web/SiteSearch.h"

namespace web {

SiteSearch::SiteSearch(SiteTree& tree) : tree_(tree) { tree_.addObserver(this); }

SiteSearch::~SiteSearch() { tree_.removeObserver(this); }

SiteSearch::Result SiteSearch::next(const QString& text) {
  const QString wanted = text.trimmed().toUpper();
  TreeNode* from = continuing_ ? position_ : tree_.first();
  if (!wanted.isEmpty()) {
    for (TreeNode* n = from; n; n = SiteTree::next(n)) {
      if (!n->searchKey().contains(wanted)) continue;
      continuing_ = true;
      position_ = SiteTree::next(n);
      return {Outcome::Found, n};
    }
  }
  const Outcome outcome = continuing_ ? Outcome::NoMore : Outcome::NotFound;
  stop();
  return {outcome, nullptr};
}

void SiteSearch::stop() {
  continuing_ = false;
  position_ = nullptr;
}

void SiteSearch::beginRemove(TreeNode* parent, int row) {
  // The search goes on after the removed subtree rather than from a node that
  // no longer exists.
  const TreeNode* removed = parent->child(row);
  if (position_ && (position_ == removed || removed->isAncestorOf(position_)))
    position_ = SiteTree::nextSkippingChildren(removed);
}

void SiteSearch::beginReset() { stop(); }

}  // namespace web
