#include "match/MatchParams.h"

#include <algorithm>
#include <cmath>

namespace ridgecore {
namespace {

constexpr double kToleranceScale = 81.48733088353625;  // radians to units, for tolerances and weights
constexpr double kTermAtTolerance = 39321.6;           // 0.15 of the cost scale

int toleranceUnits(double radians) { return static_cast<int>(std::lround(radians * kToleranceScale)); }

// A weight that makes a term at its tolerance cost 0.15; the product stays unrounded.
int weightFor(double radians) { return static_cast<int>(std::lround(kTermAtTolerance / (radians * kToleranceScale))); }

MatchParams buildParams() {
  MatchParams p{};
  p.coordinateTolerance = 200;
  p.keptNeighbours = 17;
  p.neighbourRadiusSquared = 145 * 145;
  p.neighbourShare = 0.41;
  p.rotationLimit = 0.8;
  p.relativeOrientationUnits = toleranceUnits(0.24);
  p.relativeDirectionUnits = toleranceUnits(0.32);
  p.orientationUnits = toleranceUnits(0.24);
  p.distanceFactor1024 = 0.24 * 1024;
  p.secondOrderFloor = 0.26;
  p.weakNeighbourScore = 0.16;
  p.localCostLimit = 0.41;
  p.rotationDisagreement = 0.28;
  p.weakNeighbourShare = 0.24;
  p.neighbourCostLimit = static_cast<int>(std::lround(0.65 * kCostScale));
  p.fewCandidatesBound = 13;
  p.leastPairs = 4;
  p.manyPairsBound = 20;
  p.meanNeighboursBound = 3.9;
  const double consistency[6] = {0.88, 0.85, 0.8, 0.787, 0.84, 0.84};
  std::copy(consistency, consistency + 6, p.consistencyBounds);
  p.costBounds[0] = 0.37;
  p.costBounds[1] = 0.365;
  p.spreadBound = 0.225;
  p.directionWeight = weightFor(0.32);
  p.relativeOrientationWeight = weightFor(0.24);
  p.orientationWeight = weightFor(0.24);
  p.typeWeight = 3277;
  p.distanceWeight = 512;
  return p;
}

}  // namespace

int MatchParams::neighboursNeeded() const {
  return std::min(static_cast<int>(keptNeighbours * neighbourShare), leastPairs);
}

const MatchParams& matchParams() {
  static const MatchParams params = buildParams();
  return params;
}

}  // namespace ridgecore
