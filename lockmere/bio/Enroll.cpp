#include "lockmere/bio/Enroll.h"

#include <algorithm>
#include <cstring>

#include "platform/WindowMessages.h"

namespace bio {
namespace {

constexpr int kNoFinger = -7;
constexpr int kOtherFinger = -2;
constexpr int kNotMoved = -10;
constexpr int kSensorGone = -13;
constexpr int kTransferFailed = -2022;

}  // namespace

TEnroll::TEnroll(platform::WindowHandle window, std::shared_ptr<const NimbraExports> sdk, int slot, tagENROLL* enroll,
                 unsigned char* preview)
    : TNimbraThread(window, std::move(sdk)), slot_(slot), target_(enroll), previewTarget_(preview) {
  if (target_) std::memcpy(&enroll_, target_, sizeof enroll_);
  if (previewTarget_) std::copy_n(previewTarget_, preview_.size(), preview_.begin());
  OpenSensorForStart(message_, &error_);
}

void TEnroll::DeliverResults() {
  if (target_) std::memcpy(target_, &enroll_, sizeof enroll_);
  if (previewTarget_) std::copy(preview_.begin(), preview_.end(), previewTarget_);
}

void TEnroll::Execute() {
  int transferFailures = 0;
  while (!Terminated()) {
    int result = 0;
    try {
      result = Sdk().VD_Enroll(slot_, &enroll_, preview_.data(), message_, &error_);
    } catch (const NimbraError&) {
      result = 0;  // counts as a failed call with the code as it stands
    }
    if (Terminated()) return;  // stopped meanwhile: nobody wants the result
    if (result == 1) {
      Send(platform::msg::kEnrolled, slot_);
      return;
    }
    if (error_ == kNoFinger || error_ == kOtherFinger || error_ == kNotMoved) {
      transferFailures = 0;
      if (!Send(platform::msg::kEnrollError, slot_, error_)) return;
    } else if (error_ == kSensorGone || error_ == kTransferFailed) {
      if (++transferFailures > kTransferRetries) {
        Send(platform::msg::kEnrollError, slot_, kSensorGone);
        return;
      }
      if (!Pause(kTransferRetryPause)) return;
    } else {
      transferFailures = 0;
      if (!Pause(kUncapturedRetryPause)) return;
    }
  }
}

}  // namespace bio
