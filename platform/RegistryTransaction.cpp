#include "platform/RegistryTransaction.h"

namespace platform {

RegistryTransaction::RegistryTransaction(Registry& registry) : store_(registry.store_) {
  begin_ = store_->beginBatch();
  active_ = begin_.ok();
}

RegistryTransaction::~RegistryTransaction() { rollback(); }

RegistryResult RegistryTransaction::commit() {
  if (!active_) return begin_.ok() ? RegistryResult(RegistryStatus::InvalidArgument, "already ended") : begin_;
  active_ = false;
  return store_->commitBatch();
}

void RegistryTransaction::rollback() {
  if (!active_) return;
  active_ = false;
  store_->rollbackBatch();
}

}  // namespace platform
