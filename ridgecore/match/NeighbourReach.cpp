#include "match/NeighbourReach.h"

#include <algorithm>

#include "match/MatchParams.h"
#include "match/MatchTables.h"

namespace ridgecore {
namespace {

constexpr int kDistanceScale = 1024;
constexpr int kBinUnits = 32;

// Whether neighbour distances d and dj lie within tolerance of each other.
bool withinTolerance(int d, int dj, const MatchTables& tables) {
  const int gap = (d - dj) * kDistanceScale;
  const int tolerance = tables.distanceTolerance(std::max(d, dj));
  return gap <= tolerance && gap >= -tolerance;
}

// The distances within tolerance of dj form one run [lowest, highest] around
// it, and both ends grow with dj.
struct DistanceRuns {
  int lowest[kMaxNeighbourDistance + 1];
  int highest[kMaxNeighbourDistance + 1];

  DistanceRuns() {
    const MatchTables& tables = MatchTables::instance();
    for (int dj = 0; dj <= kMaxNeighbourDistance; ++dj) {
      int lo = dj;
      while (lo > 0 && withinTolerance(lo - 1, dj, tables)) --lo;
      int hi = dj;
      while (hi < kMaxNeighbourDistance && withinTolerance(hi + 1, dj, tables)) ++hi;
      lowest[dj] = lo;
      highest[dj] = hi;
    }
  }
};

const DistanceRuns& distanceRuns() {
  static const DistanceRuns runs;
  return runs;
}

// The neighbours within tolerance of each distance d: neighbour j's bit is
// set over its run, entered at the run's start and left after its end.
void indexDistances(const MatchMinutia& m, NeighbourReach& reach) {
  const DistanceRuns& runs = distanceRuns();
  uint32_t enter[kMaxNeighbourDistance + 2] = {};
  uint32_t leave[kMaxNeighbourDistance + 2] = {};
  for (int j = 0; j < m.neighbourCount; ++j) {
    const int dj = std::min<int>(m.neighbours[j].distance, kMaxNeighbourDistance);
    enter[runs.lowest[dj]] |= 1u << j;
    leave[runs.highest[dj] + 1] |= 1u << j;
  }
  uint32_t inside = 0;
  for (int d = 0; d <= kMaxNeighbourDistance; ++d) {
    inside = (inside & ~leave[d]) | enter[d];
    reach.byDistance[d] = inside;
  }
}

// Each bin with the two beside it: covers every angle within `tolerance` of
// any angle in the bin while the tolerance is at most a bin wide.
void widenBins(const uint32_t* bins, int tolerance, uint32_t* out) {
  for (int b = 0; b < kDirectionBins; ++b) {
    out[b] = tolerance <= kBinUnits
                 ? bins[(b + kDirectionBins - 1) % kDirectionBins] | bins[b] | bins[(b + 1) % kDirectionBins]
                 : ~0u;
  }
}

void indexMinutia(const MatchMinutia& m, NeighbourReach& reach) {
  indexDistances(m, reach);
  uint32_t directions[kDirectionBins] = {};
  uint32_t orientations[kDirectionBins] = {};
  for (int j = 0; j < m.neighbourCount; ++j) {
    directions[AngleBin(m.neighbours[j].direction)] |= 1u << j;
    orientations[AngleBin(m.neighbours[j].orientation)] |= 1u << j;
  }
  const MatchParams& p = matchParams();
  uint32_t nearDirection[kDirectionBins];
  uint32_t nearOrientation[kDirectionBins];
  widenBins(directions, p.relativeDirectionUnits, nearDirection);
  widenBins(orientations, p.relativeOrientationUnits, nearOrientation);
  for (int d = 0; d < kDirectionBins; ++d) {
    for (int o = 0; o < kDirectionBins; ++o)
      reach.byBins[d * kDirectionBins + o] = nearDirection[d] & nearOrientation[o];
  }
}

}  // namespace

void IndexNeighbourReach(MatchList& list) {
  if (list.reachIndexed) return;
  for (int m = 0; m < list.count; ++m) indexMinutia(list.minutiae[m], list.reach[m]);
  list.reachIndexed = true;
}

uint32_t ReachableNeighboursUnindexed(const MatchMinutia& searched, const NeighbourLink& scanned) {
  const MatchTables& tables = MatchTables::instance();
  uint32_t mask = 0;
  for (int j = 0; j < searched.neighbourCount; ++j) {
    if (withinTolerance(scanned.distance, searched.neighbours[j].distance, tables)) mask |= 1u << j;
  }
  return mask;
}

}  // namespace ridgecore
