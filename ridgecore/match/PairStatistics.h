#pragma once

// Geometric consistency of a list of point pairs: how well the distances and
// turns between successive pairs agree on the two sides, which pairs break
// the agreement, and the rotation and translation that carry one side onto
// the other. The classic matcher and the fast matcher both judge their pairs
// with it; each ranks its pairs first and brings its own rotation per pair.
namespace ridgecore {

inline constexpr int kMaxGeometryPairs = 50;
inline constexpr int kMaxOutliers = 6;

// A pair as the checks see it, in image pixels.
struct PairPoint {
  int sx, sy;      // scanned side
  int tx, ty;      // searched side
  float rotation;  // radians, (-pi, pi]: how the pair's directions differ
};

enum class TranslationRule {
  TruncatedMeans,         // integer mean of the searched points minus integer mean of the scanned points
  RoundedMeanDifference,  // mean of searched minus scanned per pair, plus 0.5, truncated
};

struct PairGeometry {
  int reference = 0;                // position of the reference pair
  int outlierCount = 0;             // entries in outliers
  int outliers[kMaxOutliers] = {};  // blamed positions, in walk order; -1 where a step blamed none
  int largestGap = -1;              // position a of the step (a, a + 1) with the largest length difference
  int reducedCount = 0;             // pairs of the second walk
  int badSteps = 0;                 // steps of the second walk with a bad turn
  double angleConsistency = 1;      // Ca, negative when the second walk found too many bad steps
  double distanceConsistency = 1;   // Cd, likewise
  int includedCount = 0;            // pairs behind the rotation and translation figures
  double meanRotation = 0;          // theta bar
  double rotationSpread = 0;        // sigma theta
  double leastSquaresRotation = 0;  // theta ls: the rotation that best carries the scanned points onto the searched
  int dx = 0;                       // translation, searched minus scanned
  int dy = 0;
};

// Measures pairs[0..count) in the order given (the caller's ranking, best
// first). count at most kMaxGeometryPairs; with no pairs every figure is 0
// and both consistencies 1.
void MeasurePairGeometry(const PairPoint* pairs, int count, TranslationRule rule, PairGeometry& out);

// e(a, b): distance between a and b on the scanned side minus on the searched side.
double LengthDifference(const PairPoint& a, const PairPoint& b);

// t(a, b, c): the turn at b on the scanned side minus the turn at b on the searched side.
double TurnDifference(const PairPoint& a, const PairPoint& b, const PairPoint& c);

// The pair the outlier test substitutes: the first, or the second when its
// step to the third agrees better in length than the first step.
int ChooseReferencePair(const PairPoint* pairs, int count);

// The consistency figure of a walk over count pairs, from its summed squares.
double AngleConsistency(double sumTurn2, int count);
double DistanceConsistency(double sumLength2, int count);

}  // namespace ridgecore
