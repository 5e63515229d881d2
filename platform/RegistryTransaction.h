#pragma once

#include <memory>

#include "platform/Registry.h"

namespace platform {

// Groups several registry calls into one transaction: all of them are stored, or
// none. Each lone write is a transaction of its own and waits for the disk, so a
// group of writes (the window geometry at every save, the settings window) is much
// cheaper this way, and other programs never see half of it.
//
//   platform::RegistryTransaction tx(registry);
//   key.writeInteger("Width", w);
//   key.writeInteger("Height", h);
//   if (auto r = tx.commit(); !r) log(r.errorString());
//
// While it is open, calls on the same Registry (and its keys) from this thread join
// it and calls from other threads wait. A call that fails inside it undoes only
// itself. Destroying it without commit() rolls everything back. Use it on one thread
// only, and not across fork().
class RegistryTransaction {
 public:
  explicit RegistryTransaction(Registry& registry);
  ~RegistryTransaction();
  RegistryTransaction(const RegistryTransaction&) = delete;
  RegistryTransaction& operator=(const RegistryTransaction&) = delete;

  // False when the transaction could not begin (read-only or unusable file, or one
  // already open in this thread); result() says why, and calls run on their own.
  bool isActive() const { return active_; }
  const RegistryResult& result() const { return begin_; }

  RegistryResult commit();
  void rollback();

 private:
  std::shared_ptr<RegistryStore> store_;
  RegistryResult begin_;
  bool active_ = false;
};

}  // namespace platform
