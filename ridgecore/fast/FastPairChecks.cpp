#include "fast/FastPairChecks.h"

#include <cmath>
#include <cstdlib>

#include "fast/FastTables.h"
#include "match/MatchAngles.h"
#include "match/PairStatistics.h"

namespace ridgecore {
namespace {

constexpr int kQuarterTurn = 64;  // 2 pi / 128 units
constexpr int kSeamOffset = 127;  // folds a difference across the seam (and turns its sign)
constexpr int kMinMeasuredPairs = 5;
constexpr int kFewPairs = 7;
constexpr int kManyOutliers = 2;

int directionChange(int from, int to) {
  const int change = std::abs(from - to);
  return change > kQuarterTurn ? change - kQuarterTurn : change;
}

int squared(int v) { return v * v; }

}  // namespace

int FastQuickCheck(const FastPair* pairs, int count) {
  const FastParams& p = fastParams();
  if (count < 3) return count;  // no step to measure
  const int d = count - 1;
  int lengthA = 0;
  int lengthB = 0;
  int turnA = 0;
  int turnB = 0;
  // The steps 0-1, ..., (count-3)-(count-2): the step to the last pair is not used.
  for (int k = 0; k + 2 < count; ++k) {
    const FastPair& s = pairs[k];
    const FastPair& t = pairs[k + 1];
    lengthA += squared(s.xa - t.xa) + squared(s.ya - t.ya);
    lengthB += squared(s.xb - t.xb) + squared(s.yb - t.yb);
    turnA += directionChange(s.da, t.da);
    turnB += directionChange(s.db, t.db);
  }
  const int rootA = FastSqrt(lengthA);
  const int rootB = FastSqrt(lengthB);
  if (std::abs(rootA - rootB) / d > p.quickLengthLimit) return 1;
  if (std::abs((rootA + turnA) - (rootB + turnB)) / d > p.quickTurnLimit) return 2;
  return count;
}

double FastPairRotation(int da, int db) {
  int r = da - db;
  if (r < -kQuarterTurn) {
    r = -kSeamOffset - r;
  } else if (r > kQuarterTurn) {
    r = kSeamOffset - r;
  }
  return r * fastParams().radiansPerDirection;
}

FastConsistency FastConsistencyCheck(const FastPair* pairs, int count) {
  const FastParams& p = fastParams();
  FastConsistency out;
  if (count < kMinMeasuredPairs) return out;
  PairPoint points[kFastMaxPairs];
  for (int k = 0; k < count; ++k) {
    const FastPair& s = pairs[k];
    points[k] = PairPoint{2 * s.xa, 2 * s.ya, 2 * s.xb, 2 * s.yb, float(FastPairRotation(s.da, s.db))};
  }
  PairGeometry g;
  MeasurePairGeometry(points, count, TranslationRule::RoundedMeanDifference, g);
  out.measured = true;
  out.translation = FastTranslation{g.dx, g.dy};
  if (!(std::fabs(g.distanceConsistency) >= p.consistencyFloor &&
        std::fabs(g.angleConsistency) >= p.consistencyFloor)) {
    out.result = 1;
  } else if (g.outlierCount >= kManyOutliers && count <= kFewPairs) {
    out.result = 3;
  } else if (WrapAngle(g.meanRotation - g.leastSquaresRotation) > p.rotationDisagreement ||
             std::fabs(g.meanRotation) > p.rotationLimit || std::fabs(g.leastSquaresRotation) > p.rotationLimit ||
             g.rotationSpread > p.rotationSpreadLimit) {
    out.result = 2;
  } else {
    out.result = count;
  }
  return out;
}

}  // namespace ridgecore
