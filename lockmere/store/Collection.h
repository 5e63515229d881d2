#pragma once

#include <limits>
#include <memory>
#include <stdexcept>
#include <unordered_map>
#include <vector>

namespace store {

// What every collection item carries besides its published properties: an
// identity that its collection gives it when it is created. All references in
// the model are by this ID; it never changes when the item moves.
class TCollectionItem {
 public:
  int ID() const { return id_; }

 private:
  template <typename>
  friend class Collection;
  int id_ = -1;
};

// An ordered collection with the identity counter: it starts at 0 when the
// collection is created and rises by one for every item added; an ID is never
// reused while the collection lives. Items live on the heap, so a reference to
// an item stays valid while the item is in the collection, however it moves.
//
// Copying makes a deep copy with the same IDs and counter (a snapshot);
// assign() copies the content the way the streaming framework does, giving the
// copies fresh IDs from this collection's counter.
template <typename Item>
class Collection {
 public:
  Collection() = default;
  Collection(const Collection& other) { copyFrom(other); }
  Collection& operator=(const Collection& other) {
    if (this != &other) copyFrom(other);
    return *this;
  }
  Collection(Collection&&) noexcept = default;
  Collection& operator=(Collection&&) noexcept = default;

  int count() const { return static_cast<int>(items_.size()); }
  bool isEmpty() const { return items_.empty(); }
  int nextId() const { return nextId_; }

  // Appends a new item and returns it.
  Item& add() { return insert(count()); }
  // A new item at index (0..count()).
  Item& insert(int index) {
    if (index < 0 || index > count()) throw std::out_of_range("collection index out of range");
    if (nextId_ == std::numeric_limits<int>::max()) throw std::overflow_error("collection identity counter exhausted");
    auto item = std::make_unique<Item>();
    item->id_ = nextId_++;
    Item& ref = *item;
    byId_[ref.id_] = item.get();
    items_.insert(items_.begin() + index, std::move(item));
    return ref;
  }
  // A copy of prototype (its ID aside) as a new item at index.
  Item& insertCopy(int index, const Item& prototype) {
    Item& item = insert(index);
    const int id = item.id_;
    item = prototype;
    item.id_ = id;
    return item;
  }

  Item& at(int index) { return *items_.at(static_cast<std::size_t>(index)); }
  const Item& at(int index) const { return *items_.at(static_cast<std::size_t>(index)); }
  Item& operator[](int index) { return at(index); }
  const Item& operator[](int index) const { return at(index); }

  // No item (nullptr) for an ID that does not exist.
  Item* findById(int id) {
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
  }
  const Item* findById(int id) const { return const_cast<Collection*>(this)->findById(id); }
  // The item's current index, -1 for an ID that does not exist.
  int indexOf(int id) const {
    for (int i = 0; i < count(); ++i)
      if (items_[static_cast<std::size_t>(i)]->id_ == id) return i;
    return -1;
  }

  // Moves the item at from to index to, shifting the items in between.
  void move(int from, int to) {
    if (from < 0 || from >= count() || to < 0 || to >= count())
      throw std::out_of_range("collection index out of range");
    auto item = std::move(items_[static_cast<std::size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
  }

  // Puts the items with these IDs first, in this order, the others after them
  // in their old order; the same as moving each to its position in turn.
  // IDs that do not exist, and repeats, are passed over.
  void reorder(const std::vector<int>& idsFirst) {
    std::vector<std::unique_ptr<Item>> order;
    order.reserve(items_.size());
    std::unordered_map<int, std::size_t> position;
    position.reserve(items_.size());
    for (std::size_t i = 0; i < items_.size(); ++i) position[items_[i]->id_] = i;
    for (int id : idsFirst) {
      auto it = position.find(id);
      // An item already moved (an ID listed twice) has left an empty slot.
      if (it == position.end() || !items_[it->second]) continue;
      order.push_back(std::move(items_[it->second]));
    }
    for (auto& item : items_)
      if (item) order.push_back(std::move(item));
    items_ = std::move(order);
  }

  void remove(int index) {
    if (index < 0 || index >= count()) throw std::out_of_range("collection index out of range");
    byId_.erase(items_[static_cast<std::size_t>(index)]->id_);
    items_.erase(items_.begin() + index);
  }
  bool removeById(int id) {
    const int index = indexOf(id);
    if (index < 0) return false;
    remove(index);
    return true;
  }
  // Empties the collection; the counter goes on.
  void clear() {
    items_.clear();
    byId_.clear();
  }

  void assign(const Collection& other) {
    if (this == &other) return;
    clear();
    for (const auto& item : other.items_) insertCopy(count(), *item);
  }

 private:
  void copyFrom(const Collection& other) {
    clear();
    for (const auto& item : other.items_) {
      auto copy = std::make_unique<Item>(*item);
      byId_[copy->id_] = copy.get();
      items_.push_back(std::move(copy));
    }
    nextId_ = other.nextId_;
  }

  std::vector<std::unique_ptr<Item>> items_;
  std::unordered_map<int, Item*> byId_;
  int nextId_ = 0;
};

}  // namespace store
