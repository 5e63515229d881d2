#pragma once

#include <QString>

#include "lockmere/web/SiteTree.h"

namespace web {

// The search box's search by name: each search continues after the node the
// previous one found, until the tree runs out.
class SiteSearch : public TreeObserver {
 public:
  enum class Outcome {
    Found,
    NoMore,    // the continued search ran out: "no more results"
    NotFound,  // a fresh search found nothing: "no results"
  };
  struct Result {
    Outcome outcome;
    TreeNode* node = nullptr;  // the node found
  };

  explicit SiteSearch(SiteTree& tree);
  ~SiteSearch() override;
  SiteSearch(const SiteSearch&) = delete;
  SiteSearch& operator=(const SiteSearch&) = delete;

  // The next node whose text contains text (trimmed; case does not matter),
  // depth first from the top, or from after the last hit while continuing.
  // An empty text finds nothing.
  Result next(const QString& text);
  // The search text changed: the next search starts from the top.
  void stop();
  bool continuing() const { return continuing_; }

 private:
  void beginRemove(TreeNode* parent, int row) override;
  void beginReset() override;

  SiteTree& tree_;
  TreeNode* position_ = nullptr;
  bool continuing_ = false;
};

}  // namespace web
