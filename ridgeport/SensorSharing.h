#pragma once

#include <memory>
#include <mutex>

#include "platform/FileLock.h"
#include "ridgeport/Status.h"

namespace ridgeport {

// The rule that only one program talks to the sensor at a time. Every transfer
// (one I/O control call or one frame read) is wrapped in enter() and leave();
// while a transfer runs, this process holds the system-wide sensor lock, and
// any transfer that finds the lock held, here or in another program, is
// refused as busy at once rather than waiting.
//
// The lock stands in for a named event; its holder's death releases it, so the
// close failures of the event protocol (-2001, -2002, -2012, -2013) cannot
// happen here. The check and the taking of the lock are one step, so there is
// no window in which two programs both enter.
class SensorSharing {
 public:
  enum class Kind { Control, FrameRead };

  // Success: the caller is inside a transfer and must call leave().
  Status enter(Kind kind);
  void leave();

  static Status busy(Kind kind) { return Status::of(kind == Kind::Control ? kSensorBusy : kFingerprintBusy); }

 private:
  std::mutex mutex_;
  std::unique_ptr<platform::FileLock> held_;  // set while this process is inside a transfer
};

}  // namespace ridgeport
