#pragma once

#include <cstdint>

#include "match/LocalMatch.h"
#include "match/MatchMinutia.h"

namespace ridgecore {

// The local matches of one comparison, each computed once: a minutia pair
// is met again and again as somebody's neighbour pair in the second-order
// check, and as a candidate of the scan. Clearing is one counter step.
class LocalMatchCache {
 public:
  // A new comparison of these two lists: nothing is known yet. Indexes the
  // searched list's reach when it is not yet.
  void begin(const MatchList& scanned, MatchList& searched);
  const LocalMatch& match(int s, int t);

  const MatchList& scanned() const { return *scanned_; }
  const MatchList& searched() const { return *searched_; }

 private:
  const MatchList* scanned_ = nullptr;
  const MatchList* searched_ = nullptr;
  uint32_t generation_ = 0;
  uint32_t stamp_[kMaxMatchMinutiae][kMaxMatchMinutiae] = {};
  LocalMatch matches_[kMaxMatchMinutiae][kMaxMatchMinutiae];
};

// The library-wide cache of the comparison in progress.
LocalMatchCache& ComparisonCache();

}  // namespace ridgecore
