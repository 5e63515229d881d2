#include "lockmere/bio/Verify.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "lockmere/bio/GuidedRecordSearch.h"
#include "lockmere/bio/Wipe.h"
#include "platform/WindowMessages.h"

namespace bio {
namespace {

constexpr int kMatchScore = 100;
constexpr int kNoFinger = -7;
constexpr int kSensorGone = -13;
constexpr int kTransferFailed = -2022;
constexpr int kNoMatch = -9;

}  // namespace

bool TVerify::searchesInSlices(int count, int recordSize, int headerSize) {
  return count > RIDGECORE_MAX_USERS && recordSize == int(RecordSearch::kRecordSize) &&
         headerSize == int(RecordSearch::kHeaderSize);
}

std::size_t TVerify::searchedBytes(int count, int recordSize, int headerSize) {
  if (searchesInSlices(count, recordSize, headerSize)) return std::size_t(count) * std::size_t(recordSize);
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
  if (bytes && searchesInSlices(count, recordSize, headerSize)) {
    slices_ = std::make_unique<GuidedRecordSearch>(templates_.data(), std::size_t(count));
    if (!slices_->isLoaded()) throw NimbraError(slices_->errorString());
    image_.assign(RIDGECORE_IMAGE_SIZE, 0);
  }
  OpenSensorForStart(message_, &error_);
}

TVerify::~TVerify() {
  // The user's templates and finger image.
  wipe(templates_);
  wipe(image_);
}

int TVerify::CompareInSlices(int* index, int* score) {
  *index = -1;
  *score = 0;
  slices_->prepare();
  if (!Sdk().VD_GetWholeImage(image_.data(), message_, &error_)) return 0;
  int present = 0;
  if (!Sdk().VD_DetectWholeFinger(image_.data(), &present, message_, &error_)) return 0;
  if (!present) {
    error_ = kNoFinger;
    std::snprintf(message_, sizeof message_, "(VD_Compare) Please input your fingerprint!");
    return 0;
  }
  for (int r = 0; r < 100; ++r)
    std::copy_n(image_.data() + (100 + r) * RIDGECORE_IMAGE_WIDTH + 100, 100, preview_.data() + r * 100);
  RecordSearch::Result outcome;
  auto probe = slices_->classic().extract(image_.data(), &outcome);
  if (probe) outcome = slices_->identify(*probe);
  if (probe) explicit_bzero(&*probe, sizeof *probe);
  std::snprintf(message_, sizeof message_, "%s", outcome.message.c_str());
  if (outcome.matched()) {
    *index = outcome.index;
    *score = kMatchScore;
    error_ = 0;
    return 1;
  }
  error_ = outcome.error;
  return outcome.error == kNoMatch ? 1 : 0;
}

void TVerify::DeliverResults() {
  if (previewTarget_) std::copy(preview_.begin(), preview_.end(), previewTarget_);
}

void TVerify::Execute() {
  while (!Terminated()) {
    int index = -1, score = 0, result = 0;
    try {
      result = slices_ ? CompareInSlices(&index, &score)
                       : Sdk().VD_Compare(templates_.data(), count_, recordSize_, headerSize_, preview_.data(), &index,
                                          &score, message_, &error_);
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
