#pragma once

#include <cstdint>
#include <cstdlib>

#include "fast/FastForm.h"
#include "fast/FastNeighbourhood.h"
#include "fast/FastPairChecks.h"
#include "fast/FastParams.h"
#include "ridgecore.h"

namespace ridgecore {

// The sweep of a fast comparison without anything prepared: every minutia
// of b in record order takes the first free minutia of a (record order)
// within the x window, close enough in y, pointing the same way and with an
// agreeing neighbourhood, until stop pairs are found. Both lists ascend in x,
// so a moving start and an early end bound the scan of a; a record whose
// minutiae are out of that order (only one altered by hand) is scanned
// whole. Returns the number of pairs.
int SweepFastPairs(const tagFASTFDATA& a, const tagFASTFDATA& b, int stop, int needed, FastPair* pairs,
                   uint64_t& pairedA, uint64_t& pairedB);

inline bool FastListAscendsInX(const FastMinutia* m, int count) {
  for (int i = 1; i < count; ++i) {
    if (m[i].x < m[i - 1].x) return false;
  }
  return true;
}

// The same over two lists of minutiae with a's taken ones left alone; every
// accepted pair calls accept(ia, ib, matched), which returns false to end
// the sweep and may add to takenA.
template <typename Accept>
void SweepMinutiae(const FastMinutia* a, int countA, const FastMinutia* b, int countB, int needed,
                   const uint64_t& takenA, Accept accept) {
  const FastParams& p = fastParams();
  const int directionLimit = kFastHalfCircle - p.directionTolerance;
  const bool ordered = FastListAscendsInX(a, countA) && FastListAscendsInX(b, countB);
  NeighbourLanes lanes;
  int start = 0;
  for (int ib = 0; ib < countB; ++ib) {
    const FastMinutia& mb = b[ib];
    if (FastNeighbourCount(mb) < p.leastNeighbours) continue;  // pairs with no a
    bool loaded = false;
    for (int ia = start; ia < countA; ++ia) {
      if (takenA & (uint64_t{1} << ia)) continue;
      const FastMinutia& ma = a[ia];
      const int dx = ma.x - mb.x;
      if (dx < -p.window) {
        if (ordered) start = ia + 1;
        continue;
      }
      if (dx > p.window) {
        if (ordered) break;
        continue;
      }
      if (std::abs(ma.y - mb.y) > p.yTolerance) continue;
      const int turn = std::abs(ma.direction - mb.direction);
      if (turn > p.directionTolerance && turn < directionLimit) continue;
      if (FastNeighbourCount(ma) < p.leastNeighbours) continue;
      if (!loaded) {
        LoadNeighbourLanes(mb, lanes);
        loaded = true;
      }
      const NeighbourhoodMatch m =
          AssignNeighbours(ma, mb, needed, [&lanes](const FastNeighbour& na) { return LanePartners(lanes, na); });
      if (!m.accepted) continue;
      if (!accept(ia, ib, m.matched)) return;
      break;
    }
  }
}

}  // namespace ridgecore
