#pragma once

namespace ridgecore {

// The one fixed parameter set of the matcher. Tolerances given in radians are
// also held as the whole pi/256 units in which the comparison applies them.
struct MatchParams {
  int coordinateTolerance;       // coarse test; neighbours' |dx| and |dy|
  int keptNeighbours;            // neighbours kept per minutia
  int neighbourRadiusSquared;    // neighbour selection
  double neighbourShare;         // candidate acceptance
  double rotationLimit;          // coarse test; decision
  int relativeOrientationUnits;  // local comparison
  int relativeDirectionUnits;    // local comparison
  int orientationUnits;          // local comparison
  double distanceFactor1024;     // neighbour distance tolerance, per 1024
  double secondOrderFloor;       // candidate acceptance
  double weakNeighbourScore;     // candidate acceptance
  double localCostLimit;         // candidate acceptance
  double rotationDisagreement;   // decision
  double weakNeighbourShare;     // candidate acceptance
  int neighbourCostLimit;        // local comparison, 1/262144 units
  int fewCandidatesBound;        // decision
  int leastPairs;                // decision
  int manyPairsBound;            // decision; the scan stops at manyPairsBound + 5 paired minutiae
  double meanNeighboursBound;    // decision
  double consistencyBounds[6];   // decision
  double costBounds[2];          // decision
  double spreadBound;            // decision
  // Neighbour cost weights, 1/262144 units.
  int directionWeight;
  int relativeOrientationWeight;
  int orientationWeight;
  int typeWeight;
  int distanceWeight;

  int scanStopPairs() const { return manyPairsBound + 5; }
  // Local pairings a candidate needs: the kept share of 17 neighbours, at most leastPairs.
  int neighboursNeeded() const;
};

inline constexpr int kCostScale = 262144;  // costs are held in 1/262144

// The parameter set, built on first use (the first comparison) and never changed.
const MatchParams& matchParams();

}  // namespace ridgecore
