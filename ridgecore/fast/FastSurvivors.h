#pragma once

#include <bit>
#include <cstdint>
#include <cstdlib>

#include "fast/FastForm.h"
#include "fast/FastNeighbourhood.h"
#include "fast/FastPairChecks.h"
#include "fast/FastParams.h"

namespace ridgecore {

// The sweep of a comparison once a prefilter has named, for every minutia ib
// of b, the minutiae of a that may pair with it (survivors[ib], bit ia;
// any: bit ib where that set is not empty). The prefilter may name more
// than can pair, never fewer: every b in record order takes the first free
// a in record order that passes the sweep's tests, which is what the sweep
// over all minutiae gives. partnersOf(ib) gives the neighbourhood test's
// partner function for b's minutia ib.
template <typename PartnersOf>
[[gnu::always_inline]] inline int TakeSurvivingPairs(const FastMinutia* ma, const FastMinutia* mb,
                                                     const uint64_t* survivors, uint64_t any, int stop, FastPair* pairs,
                                                     uint64_t& pairedA, uint64_t& pairedB, PartnersOf partnersOf) {
  const FastParams& p = fastParams();
  const int directionLimit = kFastHalfCircle - p.directionTolerance;
  int count = 0;
  while (any && count < stop) {
    const int ib = std::countr_zero(any);  // record order
    any &= any - 1;
    uint64_t candidates = survivors[ib] & ~pairedA;
    if (!candidates) continue;
    const FastMinutia& b = mb[ib];
    const auto partners = partnersOf(ib);
    for (; candidates; candidates &= candidates - 1) {
      const int ia = std::countr_zero(candidates);  // record order
      const FastMinutia& a = ma[ia];
      if (std::abs(a.x - b.x) > p.window || std::abs(a.y - b.y) > p.yTolerance) continue;
      const int turn = std::abs(a.direction - b.direction);
      if (turn > p.directionTolerance && turn < directionLimit) continue;
      const NeighbourhoodMatch m = AssignNeighbours(a, b, p.neededNeighbours, partners);
      if (!m.accepted) continue;
      pairs[count++] =
          FastPair{a.x, b.x, a.y, b.y, a.direction, b.direction, uint8_t(m.matched), uint8_t(ia), uint8_t(ib)};
      pairedA |= uint64_t{1} << ia;
      pairedB |= uint64_t{1} << ib;
      break;
    }
  }
  return count;
}

}  // namespace ridgecore
