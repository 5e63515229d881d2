#pragma once

#include <array>

#include "lockmere/bio/NimbraThread.h"

namespace bio {

// Captures impressions with VD_Enroll until one fills its slot of the template
// (0x484, then ends). A refused impression (no finger -7, another finger -2,
// finger not moved -10) is reported with 0x486 and tried again; a failed
// transfer (-13, -2022) is retried silently 100 times 5 ms apart and the 101st
// in a row ends the thread with 0x486 (slot, -13).
//
// The thread fills its own copy of the template and the preview; the window's
// handler copies them into the caller's buffers (DeliverResults) while the
// thread waits for its message, so the caller's buffers are only ever touched
// on the window's thread, and never after the thread was stopped.
class TEnroll : public TNimbraThread {
 public:
  static constexpr int kTransferRetries = 100;
  static constexpr std::chrono::milliseconds kTransferRetryPause{5};
  // Between two attempts that failed without capturing (a busy or unopened
  // sensor, a wrong template): the loop would otherwise spin.
  static constexpr std::chrono::milliseconds kUncapturedRetryPause{100};

  // Opens the sensor first (see OpenSensorForStart; throws NimbraError). slot is
  // 0..2; enroll is the caller's template (zero-filled before the first slot),
  // preview the caller's 100 x 100 buffer or null.
  TEnroll(platform::WindowHandle window, std::shared_ptr<const NimbraExports> sdk, int slot, tagENROLL* enroll,
          unsigned char* preview);

  int Slot() const { return slot_; }
  // On the window's thread, for a message claimed from this thread.
  void DeliverResults();

 protected:
  void Execute() override;

 private:
  const int slot_;
  tagENROLL* const target_;
  unsigned char* const previewTarget_;
  tagENROLL enroll_{};
  std::array<unsigned char, RIDGECORE_PREVIEW_SIZE> preview_{};
  char message_[kMessageSize] = {};
  int error_ = 0;
};

}  // namespace bio
