#pragma once

#include "match/MatchOptions.h"

namespace ridgecore {

// The figures the decision weighs.
struct MatchSummary {
  int pairs = 0;                    // N: unique pairs
  int passed = 0;                   // M: candidates that passed acceptance
  double meanCost = 0;              // Q
  double meanNeighbours = 0;        // B
  double crowding = 0;              // G: mean crowding product
  double pairedShare = 0;           // H: paired / examined scanned minutiae
  double angleConsistency = 0;      // Ca
  double distanceConsistency = 0;   // Cd
  double meanRotation = 0;          // theta bar
  double rotationSpread = 0;        // sigma theta
  double leastSquaresRotation = 0;  // theta ls
};

inline constexpr int kMatchAccepted = 1;

// The decision list, in order: kMatchAccepted or the negative code of the
// rule that rejected. Where the first rule applies, the consistencies of the
// summary are replaced by their absolute values.
int DecideMatch(MatchSummary& summary, const MatchOptions& options = {});

}  // namespace ridgecore
