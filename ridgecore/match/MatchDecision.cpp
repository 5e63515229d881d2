#include "match/MatchDecision.h"

#include <cmath>

#include "match/MatchAngles.h"
#include "match/MatchParams.h"

namespace ridgecore {
namespace {

constexpr int kUndecided = 0;

struct Figures {
  int N, M;
  double Q, B, G, H, Ca, Cd, mean, spread, ls, L;
};

bool bothAtLeast(const Figures& f, double bound) { return f.Ca >= bound && f.Cd >= bound; }
bool bothAbove(const Figures& f, double bound) { return f.Ca > bound && f.Cd > bound; }

// Rules 2 and 3: clear cases by the pair count.
int byCount(const Figures& f, const MatchParams& p) {
  if (f.N >= p.manyPairsBound) return kMatchAccepted;
  if (f.N >= 18 && f.Ca > 0.9 && f.Cd > 0.85) return kMatchAccepted;
  if (f.N <= 1) return -2;
  if (f.N < p.leastPairs) return -222;
  if (f.N + 10 < f.M) return -666;
  if (f.N < 10 && 1.7 * f.N < f.M && f.spread > 0.06 && f.Q > 0.32) return -666;
  return kUndecided;
}

// Rules 4 and 5: the rotation of the pairs.
int byRotation(const Figures& f, const MatchParams& p) {
  if (std::fabs(f.mean) > p.rotationLimit || std::fabs(f.ls) > p.rotationLimit) return -1;
  const double r = p.rotationDisagreement;
  if (f.L > r && f.N < 10 && f.Q > 0.26) return -17;
  if (f.L > 0.74 * r && f.N < 10 && f.spread > 0.12) return -27;
  if (f.L > 0.74 * r && f.N <= 6 && f.spread > 0.05 && f.Q > 0.32) return -37;
  return kUndecided;
}

// Rule 7: six pairs or fewer.
int fewPairs(const Figures& f, const MatchParams& p) {
  const double r = p.rotationDisagreement;
  if (f.L > 1.11 * r) return -17;
  if (f.L > 0.78 * r && f.Q > 0.335) return -16;
  if (f.spread >= 0.17) return -10;
  if (!(f.Ca >= 0.875 || f.Cd >= 0.875)) return -11;
  if (f.Q > p.costBounds[0] && !bothAtLeast(f, 0.875)) return -12;
  if (f.N <= 5 && f.Q >= 0.345 && (f.Ca + f.Cd) / 2 < 0.92 && f.L > 0.275) return -19;
  return kUndecided;
}

// Rule 8: cost and spread.
int byCost(const Figures& f, const MatchParams& p) {
  if (f.N < 13 && f.Q > p.costBounds[1]) return -9;
  if (f.Q > p.costBounds[0] && (f.N <= 6 || f.Ca < 0.94 || f.Cd < 0.94 || (f.spread > 0.13 && f.N < 12 && f.L < 0.2)))
    return -8;
  if (f.spread > p.spreadBound && f.N < 13 && f.Q > 0.375) return -8;
  if (!(f.B >= p.meanNeighboursBound || bothAtLeast(f, p.consistencyBounds[4]))) return -7;
  return kUndecided;
}

int sixPairs(const Figures& f) {
  if (f.Q > 0.37 && f.H < 0.04) return -26;
  const bool a = bothAtLeast(f, 0.84) && f.B > 6 && f.H > 0.025 && f.G > 1.25 && f.Q < 0.344;
  const bool b = f.H > 0.08 && f.Q < 0.28 && (bothAbove(f, 0.9) || f.Q < 0.25);
  const bool c = f.H > 0.05 && f.Q < 0.285 && f.B > 6 && bothAbove(f, 0.85);
  const bool d =
      f.Ca >= 0.8 && f.Cd >= 0.84 && f.B >= 7.4 && f.Q < 0.342 && f.H > 0.023 && f.G > 1.5 && f.spread < 0.05;
  return (a || b || c || d) ? kMatchAccepted : -36;
}

int fivePairs(const Figures& f) {
  if (f.Q > 0.37 && f.H < 0.03) return -46;
  if (bothAtLeast(f, 0.84) && f.B >= 6 && f.H > 0.04 && f.G > 1.25 && f.Q < 0.32) return kMatchAccepted;
  if (f.L < 0.14 && f.spread < 0.12 && bothAbove(f, 0.9) && f.Q <= 0.315) return kMatchAccepted;
  const bool tight = (f.L < 0.075 && f.spread < 0.05 && bothAtLeast(f, 0.93)) ||
                     (f.L < 0.095 && f.spread < 0.06 && bothAtLeast(f, 0.97));
  if (f.B >= 7 && f.Q < 0.345 && f.H > 0.023 && f.G > 1.5 && tight) return kMatchAccepted;
  return -56;
}

int fourPairs(const Figures& f) {
  if (!(f.Q < 0.31 && f.L < 0.15 && bothAbove(f, 0.95))) return -13;
  if (f.B > 8) return kMatchAccepted;
  if (f.L >= 0.05 && f.Q >= 0.25) return -13;
  return kMatchAccepted;
}

// Rules 12 and 13: seven pairs or more.
int manyPairs(const Figures& f, const MatchParams& p) {
  const double* c = p.consistencyBounds;
  if (f.M < p.fewCandidatesBound) {
    if (f.B >= 8.3 && f.Q < 0.34 && (f.Ca >= 0.9 || f.Cd >= 0.9)) return kMatchAccepted;
    if (!((f.Ca >= c[0] && f.Cd > c[3]) || (f.Ca > c[2] && f.Cd >= c[1]))) return -5;
    return kMatchAccepted;
  }
  if (!((f.Ca > c[2] && f.Cd > c[3]) || (f.Ca > c[0] && f.Q <= 0.26))) return -1;
  return kMatchAccepted;
}

int decide(const Figures& f, const MatchParams& p) {
  if (int code = byCount(f, p)) return code;
  if (int code = byRotation(f, p)) return code;
  if (f.Q < 0.19 && f.Ca > 0.7 && f.Cd > 0.7) return kMatchAccepted;
  if (f.N <= 6) {
    if (int code = fewPairs(f, p)) return code;
  }
  if (int code = byCost(f, p)) return code;
  if (f.N == 6) return sixPairs(f);
  if (f.N == 5) return fivePairs(f);
  if (f.N == 4) return fourPairs(f);
  return manyPairs(f, p);
}

double disagreement(const MatchSummary& s, RotationDisagreement how) {
  const double leastSquares = how == RotationDisagreement::SameSense ? -s.leastSquaresRotation : s.leastSquaresRotation;
  return std::fabs(WrapAngle(s.meanRotation - leastSquares));
}

}  // namespace

int DecideMatch(MatchSummary& s, const MatchOptions& options) {
  const MatchParams& p = matchParams();
  // Well-placed, cheap pairs among crowded minutiae: a sign flip of the consistencies is forgiven.
  if (s.meanCost < 0.345 && s.rotationSpread < 0.12 && s.pairs >= 6 && s.crowding >= 1 &&
      (s.meanCost <= 0.32 || (s.pairs >= 10 && s.crowding > 1.4 && s.meanNeighbours >= 7.5))) {
    s.angleConsistency = std::fabs(s.angleConsistency);
    s.distanceConsistency = std::fabs(s.distanceConsistency);
  }
  const Figures f{s.pairs,
                  s.passed,
                  s.meanCost,
                  s.meanNeighbours,
                  s.crowding,
                  s.pairedShare,
                  s.angleConsistency,
                  s.distanceConsistency,
                  s.meanRotation,
                  s.rotationSpread,
                  s.leastSquaresRotation,
                  disagreement(s, options.rotationDisagreement)};
  return decide(f, p);
}

}  // namespace ridgecore
