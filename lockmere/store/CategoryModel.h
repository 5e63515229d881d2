#pragma once

#include <cstdint>
#include <string>

#include "lockmere/store/Collection.h"

namespace store {

// One folder of the site tree.
struct TCateItem : TCollectionItem {
  std::int32_t ParentID = -1;  // the ID of the parent category; -1 = top level
  std::string Text;
};

class TLMCateList;

class TCateCollection : public Collection<TCateItem> {
 public:
  explicit TCateCollection(TLMCateList* owner = nullptr) : owner_(owner) {}
  TLMCateList* owner() const { return owner_; }

 private:
  TLMCateList* owner_;
};

// Owner of one category collection.
class TLMCateList {
 public:
  TLMCateList() : cates_(this) {}
  TLMCateList(const TLMCateList&) = delete;
  TLMCateList& operator=(const TLMCateList&) = delete;

  TCateCollection& Cates() { return cates_; }
  const TCateCollection& Cates() const { return cates_; }
  void setCates(const TCateCollection& cates) { cates_.assign(cates); }

 private:
  TCateCollection cates_;
};

}  // namespace store
