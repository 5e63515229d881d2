#include "match/LocalComparison.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "match/MatchAngles.h"
#include "match/MatchParams.h"
#include "match/MatchTables.h"
#include "match/NeighbourAssignment.h"
#include "match/NeighbourReach.h"

namespace ridgecore {
namespace {

constexpr int kDistanceScale = 1024;
constexpr int kFewestCandidates = 3;  // below this no assignment is made

int typeTerm(const MatchMinutia& a, const MatchMinutia& b) {
  if (a.type != b.type) return 4;
  return a.type == kRidgeEnding ? 1 : 0;
}

}  // namespace

void CandidateMatrix::reset(int scanned, int searched) {
  scannedCount = scanned;
  searchedCount = searched;
  total = 0;
  // Whole arrays: fixed sizes clear in a few stores.
  std::memset(row, 0, sizeof row);
  std::memset(column, 0, sizeof column);
  std::memset(scannedCandidates, 0, sizeof scannedCandidates);
  std::memset(searchedCandidates, 0, sizeof searchedCandidates);
}

void CandidateMatrix::add(int i, int j, int32_t c) {
  cost[i][j] = c;
  row[i] |= 1u << j;
  column[j] |= 1u << i;
  ++scannedCandidates[i];
  ++searchedCandidates[j];
  ++total;
}

void BuildCandidateMatrix(const MatchList& scanned, int s, const MatchList& searched, int t, CandidateMatrix& matrix) {
  const MatchParams& p = matchParams();
  const MatchTables& tables = MatchTables::instance();
  const MatchMinutia& ms = scanned.minutiae[s];
  const MatchMinutia& mt = searched.minutiae[t];
  const int rho = static_cast<int>(RoundHalfAway(WrapAngle(double{ms.angle} - mt.angle) * kUnitsPerRadian));
  // Locals, so that the stores into the matrix do not make every limit load again.
  const int rows = ms.neighbourCount;
  const int directionLimit = p.relativeDirectionUnits;
  const int orientationLimit = p.relativeOrientationUnits;
  const int turnLimit = p.orientationUnits;
  const int coordinateLimit = p.coordinateTolerance;
  const int64_t typeWeight = p.typeWeight, turnWeight = p.orientationWeight;
  const int64_t orientationWeight = p.relativeOrientationWeight, directionWeight = p.directionWeight;
  const int distanceWeight = p.distanceWeight;
  const int64_t costLimit = p.neighbourCostLimit;
  matrix.reset(rows, mt.neighbourCount);
  const NeighbourReach* reach = searched.reachIndexed ? &searched.reach[t] : nullptr;
  for (int i = 0; i < rows; ++i) {
    const NeighbourLink a = ms.neighbours[i];
    // Walking t's neighbours nearest first, those too near are passed over and
    // the walk ends at the first too far: what remains are exactly those
    // within distance tolerance, in order.
    uint32_t open = reach ? ReachableNeighbours(*reach, a) : ReachableNeighboursUnindexed(mt, a);
    if (!open) continue;
    matrix.scannedDirection[i] = a.direction;  // read only for rows that pair
    const MatchMinutia& na = scanned.minutiae[a.index];
    while (open) {
      const int j = std::countr_zero(open);
      open &= open - 1;
      const NeighbourLink& b = mt.neighbours[j];
      const int directionDiff = UnitMagnitude(a.direction - b.direction);
      if (directionDiff > directionLimit) continue;
      const int orientationDiff = UnitMagnitude(a.orientation - b.orientation);
      if (orientationDiff > orientationLimit) continue;
      const MatchMinutia& nb = searched.minutiae[b.index];
      const int turnDiff = UnitMagnitude(tables.turn(na, nb) - rho);
      if (turnDiff > turnLimit) continue;
      if (std::abs(na.y - nb.y) > coordinateLimit || std::abs(na.x - nb.x) > coordinateLimit) continue;
      const int tolerance = tables.distanceTolerance(std::max(a.distance, b.distance));
      const int gap = (int{a.distance} - int{b.distance}) * kDistanceScale;
      const int64_t cost = int64_t{typeTerm(na, nb)} * typeWeight + int64_t{turnDiff} * turnWeight +
                           int64_t{orientationDiff} * orientationWeight + int64_t{directionDiff} * directionWeight +
                           static_cast<int64_t>(double(std::abs(gap)) * distanceWeight / tolerance * 256);
      if (cost > costLimit) continue;
      matrix.add(i, j, static_cast<int32_t>(cost));
    }
  }
}

LocalMatch CompareNeighbourhoods(const MatchList& scanned, int s, const MatchList& searched, int t) {
  LocalMatch result;
  const int countS = scanned.minutiae[s].neighbourCount;
  const int countT = searched.minutiae[t].neighbourCount;
  if (countS == 0 || countT == 0) {
    result.pairs = (countS == 0 && countT == 0) ? 1 : 0;
    return result;
  }
  CandidateMatrix matrix;
  BuildCandidateMatrix(scanned, s, searched, t, matrix);
  if (matrix.total < kFewestCandidates) {
    result.pairs = matrix.total;
    return result;
  }
  AssignNeighbours(matrix, result);
  return result;
}

}  // namespace ridgecore
