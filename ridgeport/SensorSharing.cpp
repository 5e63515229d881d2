#include "ridgeport/SensorSharing.h"

#include "platform/Paths.h"

namespace ridgeport {

Status SensorSharing::enter(Kind kind) {
  std::lock_guard guard(mutex_);
  // Another thread of this process is inside a transfer: busy, as for another program.
  if (held_) return busy(kind);
  // Testing and taking the lock are one step: no window in which two programs both enter.
  auto lock = std::make_unique<platform::FileLock>(platform::FileLock::kSensor);
  if (!lock->tryLock()) {
    if (lock->wasHeldElsewhere()) return busy(kind);
    // The lock file cannot be made (or its folder is not safe): the code cannot
    // say which, so the reason goes to standard error.
    platform::paths::warnOnce(lock->error());
    return Status::of(kCannotMakeEvent);
  }
  held_ = std::move(lock);
  return Status::success();
}

void SensorSharing::leave() {
  std::lock_guard guard(mutex_);
  held_.reset();
}

}  // namespace ridgeport
