#include "lockmere/store/TreeOrder.h"

#include <unordered_map>
#include <unordered_set>

namespace store {
namespace {

// Children of each category ID, in collection order.
struct ChildIndex {
  std::unordered_map<int, std::vector<int>> cateChildren;  // parent ID -> category IDs
  std::unordered_map<int, std::vector<int>> siteChildren;  // category ID -> site IDs

  ChildIndex(const TLMCateList& cates, const TRegSiteList& sites) {
    const TCateCollection& c = cates.Cates();
    for (int i = 0; i < c.count(); ++i) cateChildren[c[i].ParentID].push_back(c[i].ID());
    const TRegSiteCollection& s = sites.RegSites();
    for (int i = 0; i < s.count(); ++i) siteChildren[s[i].CateID].push_back(s[i].ID());
  }
  const std::vector<int>& cates(int id) const { return lookup(cateChildren, id); }
  const std::vector<int>& sites(int id) const { return lookup(siteChildren, id); }

 private:
  static const std::vector<int>& lookup(const std::unordered_map<int, std::vector<int>>& m, int id) {
    static const std::vector<int> none;
    auto it = m.find(id);
    return it == m.end() ? none : it->second;
  }
};

}  // namespace

std::vector<TreeEntry> buildTreeOrder(const TLMCateList& cates, const TRegSiteList& sites) {
  const ChildIndex index(cates, sites);
  std::vector<TreeEntry> order;
  order.reserve(static_cast<std::size_t>(cates.Cates().count() + sites.RegSites().count()));
  std::unordered_set<int> visited;  // a corrupt store may hold a cycle below a top-level category
  // Depth first without recursion: a store can nest folders arbitrarily deep.
  // A category's sites follow all of its sub-categories, so they are emitted
  // by a second frame that pops only after the sub-trees are done.
  struct Frame {
    bool emitSites;
    int cateId;
    int depth;
  };
  std::vector<Frame> stack;
  const auto pushCategories = [&](const std::vector<int>& ids, int depth) {
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) stack.push_back({false, *it, depth});
  };
  pushCategories(index.cates(-1), 0);
  while (!stack.empty()) {
    const Frame f = stack.back();
    stack.pop_back();
    if (f.emitSites) {
      for (int siteId : index.sites(f.cateId)) order.push_back({{0, -1, siteId}, f.depth});
      continue;
    }
    if (f.cateId == -1 || !visited.insert(f.cateId).second) continue;
    order.push_back({{1, f.cateId, -1}, f.depth});
    stack.push_back({true, f.cateId, f.depth + 1});
    pushCategories(index.cates(f.cateId), f.depth + 1);
  }
  for (int siteId : index.sites(-1)) order.push_back({{0, -1, siteId}, 0});
  return order;
}

void renumber(const std::vector<TreeEntry>& tree, TLMCateList& cates, TRegSiteList& sites) {
  std::vector<int> cateOrder, siteOrder;
  cateOrder.reserve(static_cast<std::size_t>(cates.Cates().count()));
  siteOrder.reserve(static_cast<std::size_t>(sites.RegSites().count()));
  // parents[d] = the ID of the folder the nodes at depth d + 1 sit under, or
  // -2 when that node was skipped (then its subtree is skipped too).
  constexpr int kSkipped = -2;
  std::vector<int> parents;
  for (const TreeEntry& e : tree) {
    if (e.depth < 0 || static_cast<std::size_t>(e.depth) > parents.size()) continue;  // not a valid position
    parents.resize(static_cast<std::size_t>(e.depth));
    const int parent = e.depth == 0 ? -1 : parents.back();
    if (parent == kSkipped) {
      parents.push_back(kSkipped);
      continue;
    }
    if (e.link.folder) {
      TCateItem* cate = cates.Cates().findById(e.link.cateId);
      if (!cate) {
        parents.push_back(kSkipped);
        continue;
      }
      if (e.depth > 0) cate->ParentID = parent;
      cateOrder.push_back(cate->ID());
      parents.push_back(cate->ID());
    } else {
      TRegSiteCollItem* site = sites.RegSites().findById(e.link.siteId);
      parents.push_back(kSkipped);  // nothing sits under a site
      if (!site) continue;
      if (e.depth > 0) site->CateID = parent;
      siteOrder.push_back(site->ID());
    }
  }
  cates.Cates().reorder(cateOrder);
  sites.RegSites().reorder(siteOrder);
}

bool deleteCategory(int cateId, TLMCateList& cates, TRegSiteList& sites) {
  if (!cates.Cates().findById(cateId)) return false;
  const ChildIndex index(cates, sites);
  std::unordered_set<int> doomedCates;
  std::vector<int> pending{cateId};
  while (!pending.empty()) {
    const int id = pending.back();
    pending.pop_back();
    if (!doomedCates.insert(id).second) continue;
    for (int child : index.cates(id)) pending.push_back(child);
  }
  TRegSiteCollection& s = sites.RegSites();
  for (int i = s.count() - 1; i >= 0; --i)
    if (doomedCates.count(s[i].CateID)) s.remove(i);
  TCateCollection& c = cates.Cates();
  for (int i = c.count() - 1; i >= 0; --i)
    if (doomedCates.count(c[i].ID())) c.remove(i);
  return true;
}

}  // namespace store
