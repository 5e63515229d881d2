#include "lockmere/bio/GuidedRecordSearch.h"

namespace bio {

GuidedRecordSearch::GuidedRecordSearch(const unsigned char* records, std::size_t count)
    : records_(records), count_(count) {}

void GuidedRecordSearch::prepare() {
  if (!fast_) fast_ = std::make_unique<FastCandidates>(records_, count_);
}

RecordSearch::Result GuidedRecordSearch::identify(const tagFDATA& probe) {
  prepare();
  if (const auto guess = fast_->candidate(probe)) {
    // The guessed record alone, confirmed by the classic comparison.
    auto confirmed = classic_.identify(probe, records_, *guess + 1, *guess);
    if (confirmed.matched()) return confirmed;
  }
  return classic_.identify(probe, records_, count_);
}

}  // namespace bio
