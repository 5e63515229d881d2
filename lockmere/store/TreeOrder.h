#pragma once

#include <cstdint>
#include <vector>

#include "lockmere/store/CategoryModel.h"
#include "lockmere/store/SiteModel.h"

// The site tree as the model sees it: the order in which folders and sites are
// shown, and what that order means for the stored references.
namespace store {

// The link record a tree node carries: a folder has its category's ID, a site
// its site's ID.
struct NodeLink {
  std::uint8_t folder = 0;  // 1 = folder
  std::int32_t cateId = -1;
  std::int32_t siteId = -1;
};

// One node of the tree in display order (depth first, each node before its
// children, siblings in order); depth 0 is the top level. A child directly
// follows its parent or its previous sibling's subtree.
struct TreeEntry {
  NodeLink link;
  int depth = 0;
};

// The display order a freshly loaded store implies: each top-level category
// (collection order) with its sub-categories and then its sites, and after
// all of them the top-level sites. Categories and sites whose parent does not
// exist are not in it.
std::vector<TreeEntry> buildTreeOrder(const TLMCateList& cates, const TRegSiteList& sites);

// The walk before every save: moves every item of the tree to the collection
// position it has in tree order, and makes every child's reference (ParentID,
// CateID) name the folder it sits under. Top-level items keep their
// reference. A node whose item does not exist is skipped with its subtree.
// References stay IDs in memory; the stream writes them as positions.
void renumber(const std::vector<TreeEntry>& tree, TLMCateList& cates, TRegSiteList& sites);

// Deletes a category with everything below it: its sub-categories (to any
// depth) and the sites filed in any of them. False when there is no such ID.
bool deleteCategory(int cateId, TLMCateList& cates, TRegSiteList& sites);

}  // namespace store
