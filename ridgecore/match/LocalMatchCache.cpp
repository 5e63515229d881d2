#include "match/LocalMatchCache.h"

#include <cstring>

#include "match/LocalComparison.h"
#include "match/NeighbourReach.h"

namespace ridgecore {

void LocalMatchCache::begin(const MatchList& scanned, MatchList& searched) {
  IndexNeighbourReach(searched);
  scanned_ = &scanned;
  searched_ = &searched;
  if (++generation_ == 0) {  // after four billion comparisons: start the stamps over
    std::memset(stamp_, 0, sizeof stamp_);
    generation_ = 1;
  }
}

const LocalMatch& LocalMatchCache::match(int s, int t) {
  if (stamp_[s][t] != generation_) {
    matches_[s][t] = CompareNeighbourhoods(*scanned_, s, *searched_, t);
    stamp_[s][t] = generation_;
  }
  return matches_[s][t];
}

LocalMatchCache& ComparisonCache() {
  static LocalMatchCache cache;
  return cache;
}

}  // namespace ridgecore
