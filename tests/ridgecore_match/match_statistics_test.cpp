#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "match/PairStatistics.h"

using namespace ridgecore;

namespace {

// Twelve scanned points spread irregularly, each carried by the same rigid motion.
std::vector<PairPoint> rigid(double angle, int dx, int dy, float rotation = 0) {
  const int xs[12] = {96, 150, 204, 120, 176, 226, 84, 140, 196, 102, 160, 218};
  const int ys[12] = {88, 72, 98, 130, 136, 160, 170, 186, 204, 226, 238, 232};
  std::vector<PairPoint> pairs;
  for (int k = 0; k < 12; ++k) {
    const double x = xs[k] - 150, y = ys[k] - 150;
    const int tx = int(std::lround(150 + x * std::cos(angle) - y * std::sin(angle))) + dx;
    const int ty = int(std::lround(150 + x * std::sin(angle) + y * std::cos(angle))) + dy;
    pairs.push_back(PairPoint{xs[k], ys[k], tx, ty, rotation});
  }
  return pairs;
}

PairGeometry measure(const std::vector<PairPoint>& pairs, TranslationRule rule = TranslationRule::TruncatedMeans) {
  PairGeometry g;
  MeasurePairGeometry(pairs.data(), int(pairs.size()), rule, g);
  return g;
}

}  // namespace

TEST(PairStatistics, RigidMotionIsConsistentAndMeasuredExactly) {
  const PairGeometry g = measure(rigid(0, 10, -6));
  EXPECT_EQ(g.outlierCount, 0);
  EXPECT_NEAR(g.angleConsistency, 1, 1e-3);
  EXPECT_NEAR(g.distanceConsistency, 1, 1e-3);
  EXPECT_EQ(g.dx, 10);
  EXPECT_EQ(g.dy, -6);
  EXPECT_NEAR(g.leastSquaresRotation, 0, 1e-9);
  EXPECT_EQ(g.badSteps, 0);
  EXPECT_EQ(g.reducedCount, 11);  // ten pairs or more, no outlier: the worst length step is dropped
  EXPECT_EQ(g.includedCount, 12);
}

TEST(PairStatistics, RotationFiguresFollowThePairsAndThePoints) {
  // Points turned by 0.2 rad; the pairs' own directions say -0.2 (scanned minus searched).
  const PairGeometry g = measure(rigid(0.2, 0, 0, -0.2f));
  EXPECT_NEAR(g.leastSquaresRotation, 0.2, 0.01);
  EXPECT_NEAR(g.meanRotation, -0.2, 1e-6);
  EXPECT_LT(g.rotationSpread, 1e-3);
  EXPECT_NEAR(g.angleConsistency, 1, 0.02);
  // Turned by more than a quarter turn the least-squares rotation is reported as 0.
  EXPECT_EQ(measure(rigid(2.0, 0, 0)).leastSquaresRotation, 0.0);
}

TEST(PairStatistics, ADisplacedPairIsBlamedAndLeftOutOfTheTranslation) {
  std::vector<PairPoint> pairs = rigid(0, 10, -6);
  pairs[4].tx += 40;
  pairs[4].ty += 40;
  const PairGeometry g = measure(pairs);
  ASSERT_EQ(g.outlierCount, 1);
  EXPECT_EQ(g.outliers[0], 4);
  EXPECT_EQ(g.reducedCount, 11);
  EXPECT_EQ(g.includedCount, 11);
  EXPECT_EQ(g.dx, 10);
  EXPECT_EQ(g.dy, -6);
  EXPECT_NEAR(g.distanceConsistency, 1, 1e-3);  // the reduced walk no longer sees it
}

TEST(PairStatistics, TheTwoTranslationRulesRoundDifferently) {
  // Scanned x 1, 1, 1 and searched x 3, 3, 2: integer means give 2 - 1 = 1,
  // the rounded mean difference 1.67 + 0.5 gives 2.
  const std::vector<PairPoint> pairs = {{1, 0, 3, 0, 0}, {1, 50, 3, 50, 0}, {1, 100, 2, 100, 0}};
  EXPECT_EQ(measure(pairs, TranslationRule::TruncatedMeans).dx, 1);
  EXPECT_EQ(measure(pairs, TranslationRule::RoundedMeanDifference).dx, 2);
  // Negative means truncate toward zero after the half is added.
  const std::vector<PairPoint> back = {{3, 0, 1, 0, 0}, {3, 50, 1, 50, 0}, {2, 100, 1, 100, 0}};
  EXPECT_EQ(measure(back, TranslationRule::RoundedMeanDifference).dx, -1);
}

TEST(PairStatistics, NoPairsGiveZeroFigures) {
  PairGeometry g;
  g.dx = 99;
  MeasurePairGeometry(nullptr, 0, TranslationRule::TruncatedMeans, g);
  EXPECT_EQ(g.dx, 0);
  EXPECT_EQ(g.meanRotation, 0);
  EXPECT_EQ(g.rotationSpread, 0);
  EXPECT_EQ(g.leastSquaresRotation, 0);
  EXPECT_EQ(g.angleConsistency, 1);
  EXPECT_EQ(g.distanceConsistency, 1);
}

TEST(PairStatistics, ReferencePairAndConsistencyFormulas) {
  // The second pair becomes the reference when its step to the third agrees better in length.
  std::vector<PairPoint> pairs = rigid(0, 0, 0);
  pairs[0].tx += 30;
  EXPECT_EQ(ChooseReferencePair(pairs.data(), 12), 1);
  EXPECT_EQ(ChooseReferencePair(rigid(0, 0, 0).data(), 12), 0);
  EXPECT_EQ(ChooseReferencePair(pairs.data(), 2), 0);

  EXPECT_EQ(AngleConsistency(123, 2), 1);
  EXPECT_EQ(DistanceConsistency(123, 1), 1);
  EXPECT_NEAR(AngleConsistency(16, 6), 1 - 2.0 / 4, 1e-6);    // 1 - sqrt(16 / 4) / 4
  EXPECT_NEAR(AngleConsistency(300, 5), 10.0 / 3 - 1, 1e-6);  // 1 - 10 / 3 is below -0.75: its size
  EXPECT_NEAR(DistanceConsistency(9.0 * 4, 5), 1 - 3.0 / 4 * 0.02, 1e-6);
}
