#include "lockmere/bio/Verify.h"

#include <algorithm>

#include "platform/WindowMessages.h"

namespace bio {
namespace {

constexpr int kMatchScore = 100;
constexpr int kNoFinger = -7;
constexpr int kSensorGone = -13;
constexpr int kTransferFailed = -2022;

}  // namespace

std::size_t TVerify::searchedBytes(int count, int recordSize, int headerSize) {
  // VD_Compare refuses more than RIDGECORE_MAX_USERS templates before reading any.
  if (count <= 0 || count > RIDGECORE_MAX_USERS || recordSize <= 0 || headerSize < 0) return 0;
  return std::size_t(headerSize) + std::size_t(count - 1) * std::size_t(recordSize) + sizeof(tagENROLL);
}

TVerify::TVerify(platform::WindowHandle window, std::shared_ptr<const NimbraExports> sdk,
                 const unsigned char* templates, int count, int recordSize, int headerSize, unsigned char* preview)
    : TNimbraThread(window, std::move(sdk)),
      count_(count),
      recordSize_(recordSize),
      headerSize_(headerSize),
      previewTarget_(preview) {
  const std::size_t bytes = templates ? searchedBytes(count, recordSize, headerSize) : 0;
  // Never empty: the search gets a valid address even over no templates.
  templates_.assign(std::max<std::size_t>(bytes, 1), 0);
  if (bytes) std::copy_n(templates, bytes, templates_.begin());
  if (previewTarget_) std::copy_n(previewTarget_, preview_.size(), preview_.begin());
  OpenSensorForStart(message_, &error_);
}

void TVerify::DeliverResults() {
  if (previewTarget_) std::copy(preview_.begin(), preview_.end(), previewTarget_);
}

void TVerify::Execute() {
  while (!Terminated()) {
    int index = -1, score = 0, result = 0;
    try {
      result = Sdk().VD_Compare(templates_.data(), count_, recordSize_, headerSize_, preview_.data(), &index, &score,
                                message_, &error_);
    } catch (const NimbraError&) {
      result = 0;  // counts as a failed call with the code as it stands
    }
    if (Terminated()) return;  // stopped meanwhile: nobody wants the result
    if (result == 1 && score == kMatchScore) {
      Send(platform::msg::kVerified, index);
      return;
    }
    if (result == 1) {
      if (!Send(platform::msg::kVerifyNoMatch, error_)) return;
    } else if (error_ == kSensorGone || error_ == kTransferFailed) {
      Send(platform::msg::kVerifyError, kSensorGone);
      return;
    } else {
      if (!Send(platform::msg::kVerifyError, error_)) return;
      if (error_ != kNoFinger && !Pause(kUncapturedRetryPause)) return;
    }
  }
}

}  // namespace bio
