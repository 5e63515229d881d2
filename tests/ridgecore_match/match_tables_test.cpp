#include <gtest/gtest.h>

#include <cmath>

#include "match/MatchAngles.h"
#include "match/MatchTables.h"

using namespace ridgecore;

namespace {

// How many of all pairs of quantised angles the check fails for.
template <typename Check>
int mismatchesOverEveryAnglePair(Check check) {
  int mismatches = 0;
  for (int qa = -255; qa <= 255; ++qa) {
    for (int qb = -255; qb <= 255; ++qb) {
      MatchMinutia a{};
      MatchMinutia b{};
      a.qangle = int16_t(qa);
      b.qangle = int16_t(qb);
      a.angle = float(qa * kRadiansPerUnit);
      b.angle = float(qb * kRadiansPerUnit);
      mismatches += !check(a, b);
    }
  }
  return mismatches;
}

}  // namespace

// The tables stand in for formulas inside the comparison: each must give the
// formula's value for every input the comparison can hand it.
TEST(MatchTables, TurnsEqualTheFormulaForEveryPairOfAngles) {
  const MatchTables& tables = MatchTables::instance();
  EXPECT_EQ(mismatchesOverEveryAnglePair([&](const MatchMinutia& a, const MatchMinutia& b) {
              return tables.turn(a, b) == QuantiseAngle(WrapAngle(double{a.angle} - b.angle));
            }),
            0);
}

TEST(MatchTables, DirectionsAndDistancesEqualTheFormulaWithinTheNeighbourhood) {
  const MatchTables& tables = MatchTables::instance();
  int mismatches = 0;
  for (int dy = -150; dy <= 150; ++dy) {
    for (int dx = -150; dx <= 150; ++dx) {
      mismatches += tables.direction(dx, dy) != std::atan2(dy, dx + 0.00001);
      if (dx * dx + dy * dy <= 145 * 145)
        mismatches += tables.distance(dx * dx + dy * dy) != (std::lround(std::sqrt(double(dx * dx + dy * dy))) & 0xFF);
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(tables.distance(300 * 300), 300 & 0xFF);  // beyond the table: computed, kept modulo 256
}

TEST(MatchTables, ToleranceAndTrigonometry) {
  const MatchTables& tables = MatchTables::instance();
  for (int d = 0; d < 256; ++d) {
    ASSERT_EQ(tables.distanceTolerance(d), int(d * 245.76 + 3072)) << d;
    ASSERT_EQ(tables.thirdOf(d), d / 3.0) << d;
  }
  for (int q = -255; q <= 255; ++q) {
    ASSERT_EQ(tables.sinOfUnits(q), std::sin(q * kRadiansPerUnit));
    ASSERT_EQ(tables.cosOfUnits(q), std::cos(q * kRadiansPerUnit));
  }
}

TEST(MatchTables, RotationTestEqualsTheFormulaForEveryPairOfAngles) {
  const MatchTables& tables = MatchTables::instance();
  EXPECT_EQ(mismatchesOverEveryAnglePair([&](const MatchMinutia& a, const MatchMinutia& b) {
              return tables.withinRotation(a, b) == (std::fabs(WrapAngle(double{a.angle} - b.angle)) < 0.8);
            }),
            0);
}
