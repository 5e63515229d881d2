#include "ridgeport/SensorSharing.h"

namespace ridgeport {

Status SensorSharing::enter(Kind kind) {
  std::lock_guard guard(mutex_);
  // Another thread of this process is inside a transfer: busy, as for another program.
  if (held_) return busy(kind);
  auto lock = std::make_unique<platform::FileLock>(platform::FileLock::kSensor);
  if (lock->heldElsewhere()) return busy(kind);
  if (!lock->tryLock()) {
    // Taken between the test and the take: still busy. Anything else means the
    // lock file cannot be made.
    return lock->heldElsewhere() ? busy(kind) : Status::of(kCannotMakeEvent);
  }
  held_ = std::move(lock);
  return Status::success();
}

void SensorSharing::leave() {
  std::lock_guard guard(mutex_);
  held_.reset();
}

}  // namespace ridgeport
