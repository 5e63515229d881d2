#include <gtest/gtest.h>

#include "match/MatchDecision.h"

using namespace ridgecore;

namespace {

// A clean, consistent match of n pairs, before any rule has looked at it.
MatchSummary clean(int n) {
  MatchSummary s;
  s.pairs = n;
  s.passed = n;
  s.meanCost = 0.25;
  s.meanNeighbours = 9;
  s.crowding = 0.5;
  s.pairedShare = 0.5;
  s.angleConsistency = 0.97;
  s.distanceConsistency = 0.97;
  s.rotationSpread = 0.03;
  return s;
}

int decide(MatchSummary s) { return DecideMatch(s); }

}  // namespace

TEST(MatchDecision, ManyPairsAcceptBeforeAnyOtherRule) {
  MatchSummary s = clean(20);
  s.angleConsistency = -3;
  s.distanceConsistency = -3;
  s.meanRotation = 2;
  s.passed = 45;
  EXPECT_EQ(decide(s), 1);
  s.pairs = 19;
  EXPECT_NE(decide(s), 1);
  s.angleConsistency = 0.95;
  s.distanceConsistency = 0.9;
  s.pairs = 18;
  EXPECT_EQ(decide(s), 1);
}

TEST(MatchDecision, FewPairsAndTooManyCandidatesAreRejectedWithTheirCodes) {
  EXPECT_EQ(decide(clean(1)), -2);
  EXPECT_EQ(decide(clean(0)), -2);
  EXPECT_EQ(decide(clean(2)), -222);
  EXPECT_EQ(decide(clean(3)), -222);
  MatchSummary s = clean(12);
  s.passed = 23;
  EXPECT_EQ(decide(s), -666);
  s.passed = 22;
  EXPECT_EQ(decide(s), 1);
  // Below ten pairs a candidate count above 1.7 N rejects when the pairs are also loose and dear.
  s = clean(8);
  s.passed = 14;
  s.rotationSpread = 0.07;
  s.meanCost = 0.33;
  EXPECT_EQ(decide(s), -666);
}

TEST(MatchDecision, RotationRulesComeBeforeTheCheapMatchRule) {
  MatchSummary s = clean(12);
  s.meanCost = 0.1;  // would accept at rule 6
  s.meanRotation = 0.85;
  s.leastSquaresRotation = 0.85;
  EXPECT_EQ(decide(s), -1);
  s.meanRotation = 0.1;
  s.leastSquaresRotation = -0.25;  // disagreement 0.35, but 12 pairs: the disagreement rules need fewer than 10
  EXPECT_EQ(decide(s), 1);
  s.pairs = 9;
  s.passed = 9;
  s.meanCost = 0.3;
  EXPECT_EQ(decide(s), -17);
}

// Impressions turned by 0.15 rad: the pairs' rotation reads -0.15, the least-squares one +0.15.
TEST(MatchDecision, TheRotationDisagreementOfTheSameSenseOptionIgnoresARealRotation) {
  MatchSummary s = clean(9);
  s.meanCost = 0.3;
  s.meanRotation = -0.15;
  s.leastSquaresRotation = 0.15;
  EXPECT_EQ(decide(s), -17);
  MatchSummary same = s;
  EXPECT_EQ(DecideMatch(same, MatchOptions{RotationDisagreement::SameSense}), 1);
  s.leastSquaresRotation = -0.15;
  EXPECT_EQ(DecideMatch(s, MatchOptions{RotationDisagreement::SameSense}), -17);
}

TEST(MatchDecision, SignFlipsAreForgivenForCheapCrowdedPairs) {
  MatchSummary s = clean(8);
  s.meanCost = 0.3;
  s.angleConsistency = -0.9;
  s.distanceConsistency = -0.9;
  s.crowding = 1.2;
  EXPECT_EQ(DecideMatch(s), 1);
  EXPECT_DOUBLE_EQ(s.angleConsistency, 0.9);
  s = clean(8);
  s.meanCost = 0.3;
  s.angleConsistency = -0.9;
  s.distanceConsistency = -0.9;
  s.crowding = 0.9;  // not crowded enough
  EXPECT_EQ(DecideMatch(s), -5);
  EXPECT_DOUBLE_EQ(s.angleConsistency, -0.9);
}

TEST(MatchDecision, FourFiveAndSixPairsNeedTheirOwnEvidence) {
  MatchSummary s = clean(4);
  s.meanCost = 0.26;
  s.meanRotation = 0.03;
  s.leastSquaresRotation = -0.05;  // disagreement 0.08
  EXPECT_EQ(decide(s), 1);         // more than 8 neighbours a pair on average
  s.meanNeighbours = 6;
  EXPECT_EQ(decide(s), -13);
  s.meanCost = 0.2;
  EXPECT_EQ(decide(s), 1);
  s.angleConsistency = 0.9;
  EXPECT_EQ(decide(s), -13);

  s = clean(5);
  s.pairedShare = 0.02;
  s.meanCost = 0.372;
  s.angleConsistency = 0.9;
  s.distanceConsistency = 0.86;
  EXPECT_EQ(decide(s), -12);  // six or fewer: dear and not both consistencies at 0.875
  s.distanceConsistency = 0.95;
  EXPECT_EQ(decide(s), -9);  // consistent, but dear for fewer than 13 pairs
  s = clean(5);
  s.meanCost = 0.3;
  s.pairedShare = 0.01;
  EXPECT_EQ(decide(s), 1);  // tight rotation and consistency above 0.9
  s.angleConsistency = 0.89;
  EXPECT_EQ(decide(s), -56);

  s = clean(6);
  s.meanCost = 0.3;
  s.pairedShare = 0.01;
  EXPECT_EQ(decide(s), -36);
  s.pairedShare = 0.03;
  s.crowding = 1.3;
  EXPECT_EQ(decide(s), 1);  // (a): consistent, rich and crowded
}

TEST(MatchDecision, SevenPairsOrMoreWeighConsistencyByTheCandidateCount) {
  MatchSummary s = clean(9);
  s.meanCost = 0.3;
  s.angleConsistency = 0.86;
  s.distanceConsistency = 0.8;
  s.meanNeighbours = 8;
  EXPECT_EQ(decide(s), -5);  // few candidates: needs 0.88 / 0.787 or 0.8 / 0.85
  s.passed = 13;
  EXPECT_EQ(decide(s), 1);  // many candidates: 0.8 / 0.787 is enough
  s.angleConsistency = 0.79;
  EXPECT_EQ(decide(s), -1);
  s.meanCost = 0.36;
  s.angleConsistency = 0.7;
  s.distanceConsistency = 0.7;
  s.meanNeighbours = 3;
  EXPECT_EQ(decide(s), -7);
}
