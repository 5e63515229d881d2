#include "ridgeport/SensorSharing.h"

#include "platform/Paths.h"

namespace ridgeport {

Status SensorSharing::enter(Kind kind) {
  std::lock_guard guard(mutex_);
  // Another thread of this process is inside a transfer: busy, as for another program.
  if (held_) return busy(kind);
  auto lock = std::make_unique<platform::FileLock>(platform::FileLock::kSensor);
  if (lock->heldElsewhere()) return busy(kind);
  if (!lock->tryLock()) {
    // Taken between the test and the take: still busy. Anything else means the
    // lock file cannot be made (or its folder is not safe): the code cannot say
    // which, so the reason goes to standard error.
    if (lock->heldElsewhere()) return busy(kind);
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
