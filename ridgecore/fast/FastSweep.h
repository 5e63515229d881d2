#pragma once

#include <cstdint>
#include <cstdlib>

#include "fast/FastForm.h"
#include "fast/FastNeighbourhood.h"
#include "fast/FastPairChecks.h"
#include "fast/FastParams.h"
#include "ridgecore.h"

namespace ridgecore {

inline bool FastListAscendsInX(const FastMinutia* m, int count) {
  for (int i = 1; i < count; ++i) {
    if (m[i].x < m[i - 1].x) return false;
  }
  return true;
}

// The sweep of a fast comparison over two lists of minutiae, without
// anything prepared: every minutia of b in list order takes the first free
// minutia of a (list order, those in takenA left alone) within the x window,
// close enough in y, pointing the same way and with an agreeing
// neighbourhood; each pair calls accept(ia, ib, matched), which returns
// false to end the sweep and may add to takenA. Both lists ascend in x, so
// a moving start and an early end bound the scan of a; lists out of that
// order (only in a record altered by hand) are scanned whole.
template <typename Accept>
[[gnu::always_inline]] inline void SweepMinutiae(const FastMinutia* a, int countA, const FastMinutia* b, int countB,
                                                 int needed, const uint64_t& takenA, Accept accept) {
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
