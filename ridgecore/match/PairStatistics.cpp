#include "match/PairStatistics.h"

#include <algorithm>
#include <cmath>

#include "match/FixedSort.h"
#include "match/MatchAngles.h"

namespace ridgecore {
namespace {

constexpr double kTurnBlameCos = 0.8;   // a step turns badly when cos t falls below this
constexpr double kOwnPairBias = 3;      // keeps the pair under test from blaming itself
constexpr double kOutlierShare = 0.24;  // outliers flagged at most per pair
constexpr int kGapDropFrom = 10;        // with no outlier, drop the worst length step from this many pairs on
constexpr double kBadGap = 25;
constexpr double kBadTurn = 0.25;
constexpr double kBadGapWithTurn = 15;
constexpr double kBadTurnWithGap = 0.2;
constexpr double kAngleFlipBelow = -0.75;

double square(double v) { return v * v; }

double pointAngle(int fromX, int fromY, int toX, int toY) {
  return std::atan2(double(fromY - toY), double(fromX - toX) + 1e-8);
}

double scannedDistance(const PairPoint& a, const PairPoint& b) { return std::hypot(a.sx - b.sx, a.sy - b.sy); }
double searchedDistance(const PairPoint& a, const PairPoint& b) { return std::hypot(a.tx - b.tx, a.ty - b.ty); }

// The direction of every step p[i] -> p[i + 1] of a walk on both sides, each
// computed once: consecutive turns share a step.
class WalkSteps {
 public:
  WalkSteps(const PairPoint* p, int n) {
    for (int i = 0; i + 1 < n; ++i) {
      scanned_[i] = pointAngle(p[i].sx, p[i].sy, p[i + 1].sx, p[i + 1].sy);
      searched_[i] = pointAngle(p[i].tx, p[i].ty, p[i + 1].tx, p[i + 1].ty);
    }
  }
  // TurnDifference(p[i - 1], p[i], p[i + 1]).
  double turn(int i) const {
    return WrapAngle(WrapAngle(scanned_[i - 1] - scanned_[i]) - WrapAngle(searched_[i - 1] - searched_[i]));
  }

 private:
  double scanned_[kMaxGeometryPairs];
  double searched_[kMaxGeometryPairs];
};

struct WalkSums {
  double length2 = 0;
  double turn2 = 0;
  int badSteps = 0;
};

// Which of pairs i-1, i, i+1 a badly turning step blames, by trying the
// reference pair in each place; -1 for none.
int blameForTurn(const PairPoint* p, int i, int ref) {
  const double u = (ref == i) ? kOwnPairBias : square(TurnDifference(p[ref], p[i], p[i + 1])) + kOwnPairBias;
  const double v = square(TurnDifference(p[i - 1], p[ref], p[i + 1]));
  const double w = square(TurnDifference(p[i - 1], p[i], p[ref]));
  if (!(v < u || u > w)) return i - 1;
  if (u < v || v > w) return (u < w || w > v) ? -1 : i + 1;
  return i;
}

int outlierLimit(int count) { return std::min(kMaxOutliers, std::max(1, int(std::lround(kOutlierShare * count)))); }

WalkSums firstWalk(const PairPoint* p, int n, PairGeometry& out) {
  WalkSums sums;
  const int limit = outlierLimit(n);
  const WalkSteps steps(p, n);
  double largest = -1;
  for (int i = 1; i < n; ++i) {
    const double e = LengthDifference(p[i - 1], p[i]);
    sums.length2 += e * e;
    if (std::fabs(e) > largest) {
      largest = std::fabs(e);
      out.largestGap = i - 1;
    }
    if (i > n - 2) continue;
    const double t = steps.turn(i);
    sums.turn2 += t * t;
    if (std::cos(t) >= kTurnBlameCos) continue;
    const int blamed = blameForTurn(p, i, out.reference);
    const bool apart = out.outlierCount == 0 || std::abs(out.outliers[out.outlierCount - 1] - i) > 1;
    if (apart && out.outlierCount < limit) out.outliers[out.outlierCount++] = blamed;
  }
  return sums;
}

bool isOutlier(const PairGeometry& g, int position) {
  return std::find(g.outliers, g.outliers + g.outlierCount, position) != g.outliers + g.outlierCount;
}

WalkSums secondWalk(const PairPoint* p, int n) {
  WalkSums sums;
  const WalkSteps steps(p, n);
  for (int i = 1; i < n; ++i) {
    const double e = LengthDifference(p[i - 1], p[i]);
    sums.length2 += e * e;
    if (i > n - 2) continue;
    const double t = steps.turn(i);
    sums.turn2 += t * t;
    const double ae = std::fabs(e);
    const double at = std::fabs(t);
    if (ae >= kBadGap || at > kBadTurn || (ae >= kBadGapWithTurn && at > kBadTurnWithGap)) ++sums.badSteps;
  }
  return sums;
}

// The pairs without the outliers (or without the worst length step), nearest
// to the reference pair first.
int reducedList(const PairPoint* p, int n, const PairGeometry& g, PairPoint* reduced) {
  const bool dropGap = g.outlierCount == 0 && n >= kGapDropFrom;
  int count = 0;
  for (int k = 0; k < n; ++k) {
    if (dropGap ? k == g.largestGap : isOutlier(g, k)) continue;
    reduced[count++] = p[k];
  }
  const PairPoint ref = p[g.reference];
  auto distance2 = [&ref](const PairPoint& a) { return square(a.tx - ref.tx) + square(a.ty - ref.ty); };
  StableSort(reduced, count, [&](const PairPoint& a, const PairPoint& b) { return distance2(a) < distance2(b); });
  return count;
}

void measureConsistency(const PairPoint* p, int n, PairGeometry& out) {
  out.reference = ChooseReferencePair(p, n);
  const WalkSums first = firstWalk(p, n, out);
  PairPoint reduced[kMaxGeometryPairs];
  out.reducedCount = reducedList(p, n, out, reduced);
  const WalkSums second = secondWalk(reduced, out.reducedCount);
  out.badSteps = second.badSteps;
  out.angleConsistency = std::max(AngleConsistency(second.turn2, out.reducedCount), AngleConsistency(first.turn2, n));
  out.distanceConsistency =
      std::max(DistanceConsistency(second.length2, out.reducedCount), DistanceConsistency(first.length2, n));
  if (out.badSteps > 3 && out.reducedCount < 14) {
    out.distanceConsistency = -out.distanceConsistency;
  } else if (out.badSteps > 1 && out.reducedCount < 11) {
    out.angleConsistency = -out.angleConsistency;
  }
}

// The pairs behind rotation and translation: the outlier list is taken in
// walk order against the positions, so an entry that cannot match (-1, or
// out of order) holds back the entries after it.
int includedPairs(const PairGeometry& g, int n, int* included) {
  int next = 0;
  int count = 0;
  for (int k = 0; k < n; ++k) {
    if (next < g.outlierCount && g.outliers[next] == k) {
      ++next;
      continue;
    }
    included[count++] = k;
  }
  return count;
}

void measureRotation(const PairPoint* p, const int* included, int g, PairGeometry& out) {
  double mean = 0;
  if (g >= 2) {
    double sumSin = 0;
    double sumCos = 0;
    for (int k = 1; k < g; ++k) {
      sumSin += std::sin(p[included[k]].rotation);
      sumCos += std::cos(p[included[k]].rotation);
    }
    mean = std::atan2(sumSin / (g - 1), sumCos / (g - 1));
  }
  double sum2 = 0;
  double largest2 = 0;
  for (int k = 0; k < g; ++k) {
    const double d2 = square(WrapAngle(p[included[k]].rotation - mean));
    sum2 += d2;
    largest2 = std::max(largest2, d2);
  }
  out.meanRotation = mean;
  out.rotationSpread =
      g > 2 ? std::sqrt((sum2 - largest2) / (g - 1 + 1e-8) + 1e-8) : std::sqrt(sum2 / (g + 1e-8) + 1e-8);
}

struct PointSums {
  long sx = 0, sy = 0, tx = 0, ty = 0;
};

PointSums sumPoints(const PairPoint* p, const int* included, int g) {
  PointSums sums;
  for (int k = 0; k < g; ++k) {
    const PairPoint& a = p[included[k]];
    sums.sx += a.sx;
    sums.sy += a.sy;
    sums.tx += a.tx;
    sums.ty += a.ty;
  }
  return sums;
}

void measureTranslation(const PointSums& sums, int g, TranslationRule rule, PairGeometry& out) {
  if (rule == TranslationRule::TruncatedMeans) {
    out.dx = int(sums.tx / g - sums.sx / g);
    out.dy = int(sums.ty / g - sums.sy / g);
  } else {
    out.dx = int(double(sums.tx - sums.sx) / g + 0.5);
    out.dy = int(double(sums.ty - sums.sy) / g + 0.5);
  }
}

void measureLeastSquaresRotation(const PairPoint* p, const int* included, int g, const PointSums& sums,
                                 PairGeometry& out) {
  const double msx = double(sums.sx) / g, msy = double(sums.sy) / g;
  const double mtx = double(sums.tx) / g, mty = double(sums.ty) / g;
  double cross = 0;
  double dot = 0;
  for (int k = 0; k < g; ++k) {
    const PairPoint& a = p[included[k]];
    const double sx = a.sx - msx, sy = a.sy - msy, tx = a.tx - mtx, ty = a.ty - mty;
    cross += sx * ty - sy * tx;
    dot += sx * tx + sy * ty;
  }
  const double r = std::sqrt(cross * cross + dot * dot);
  out.leastSquaresRotation = dot > 0 ? std::atan2(cross / r, dot / r) : 0.0;
}

}  // namespace

double LengthDifference(const PairPoint& a, const PairPoint& b) {
  return scannedDistance(a, b) - searchedDistance(a, b);
}

double TurnDifference(const PairPoint& a, const PairPoint& b, const PairPoint& c) {
  const double scanned = WrapAngle(pointAngle(a.sx, a.sy, b.sx, b.sy) - pointAngle(b.sx, b.sy, c.sx, c.sy));
  const double searched = WrapAngle(pointAngle(a.tx, a.ty, b.tx, b.ty) - pointAngle(b.tx, b.ty, c.tx, c.ty));
  return WrapAngle(scanned - searched);
}

int ChooseReferencePair(const PairPoint* pairs, int count) {
  if (count > 2 && std::fabs(LengthDifference(pairs[1], pairs[2])) < std::fabs(LengthDifference(pairs[0], pairs[1])))
    return 1;
  return 0;
}

double AngleConsistency(double sumTurn2, int count) {
  const int steps = count - 2;
  if (steps < 1) return 1;
  const double c = 1 - std::sqrt(sumTurn2 / steps + 1e-8) / steps;
  return c < kAngleFlipBelow ? std::fabs(c) : c;
}

double DistanceConsistency(double sumLength2, int count) {
  const int steps = count - 1;
  if (steps < 1) return 1;
  return 1 - std::sqrt(sumLength2 / steps + 1e-8) / steps * 0.02;
}

void MeasurePairGeometry(const PairPoint* pairs, int count, TranslationRule rule, PairGeometry& out) {
  out = PairGeometry{};
  count = std::min(count, kMaxGeometryPairs);
  if (count <= 0) return;
  measureConsistency(pairs, count, out);
  int included[kMaxGeometryPairs];
  const int g = includedPairs(out, count, included);
  out.includedCount = g;
  measureRotation(pairs, included, g, out);
  if (g == 0) return;
  const PointSums sums = sumPoints(pairs, included, g);
  measureTranslation(sums, g, rule, out);
  measureLeastSquaresRotation(pairs, included, g, sums, out);
}

}  // namespace ridgecore
