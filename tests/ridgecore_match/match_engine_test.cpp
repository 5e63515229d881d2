#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "enroll/CheckNewImpression.h"
#include "match/MatchFeatureSets.h"
#include "match/MatchParams.h"
#include "match/MatchResults.h"
#include "tests/ridgecore_match/HandPlaced.h"

using namespace ridgecore;
using namespace ridgecore::synthetic;
using namespace handplaced;

namespace {

bool sameResults(const MatchResults& a, const MatchResults& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(MatchEngine, SelfComparisonStopsAtTwentyFivePairs) {
  for (int count : {30, 45, 50}) {
    Random random{uint64_t(count)};
    const tagFDATA record = MakeRecord(RandomMinutiae(random, count));
    ASSERT_EQ(record.count, count);
    EXPECT_EQ(MatchFeatureSets(&record, &record), 25) << count << " minutiae";
  }
  const tagFDATA small = MakeRecord(kTwelve);
  EXPECT_EQ(MatchFeatureSets(&small, &small), 12);
}

TEST(MatchEngine, RecordWithoutMinutiaeGivesMinusOneAndLeavesTheLastResults) {
  const tagFDATA full = MakeRecord(kTwelve);
  const tagFDATA moved = MakeRecord(Shifted(kTwelve, 20, 0));
  ASSERT_EQ(MatchFeatureSets(&full, &moved), 12);
  const MatchResults before = LastMatchResults();
  EXPECT_EQ(before.dx, 20);

  const tagFDATA empty = MakeRecord({});
  EXPECT_EQ(MatchFeatureSets(&empty, &full), -1);
  EXPECT_EQ(MatchFeatureSets(&full, &empty), -1);
  EXPECT_EQ(MatchFeatureSets(&empty, &empty), -1);
  EXPECT_EQ(MatchFeatureSets(nullptr, &full), -1);
  EXPECT_EQ(MatchFeatureSets(&full, nullptr), -1);
  EXPECT_TRUE(sameResults(before, LastMatchResults()));
}

TEST(MatchEngine, CountsElevenAndTwelvePairsExactly) {
  const tagFDATA eleven = MakeRecord(firstOf(kTwelve, 11));
  const tagFDATA twelve = MakeRecord(kTwelve);
  EXPECT_EQ(MatchFeatureSets(&eleven, &eleven), 11);
  EXPECT_EQ(MatchFeatureSets(&twelve, &twelve), 12);
  // Shifted copies pair the same way: the count does not depend on placement.
  const tagFDATA twelveMoved = MakeRecord(Shifted(kTwelve, -14, 10));
  EXPECT_EQ(MatchFeatureSets(&twelve, &twelveMoved), 12);
}

TEST(MatchEngine, SwappingTheRecordsChangesTheResult) {
  // Twins in the scanned list each take one of the 25 scan places and then
  // collapse onto one searched minutia; scanned the other way they cost nothing.
  const MinutiaSet finger = otherFinger(1, 34);
  const tagFDATA plain = MakeRecord(finger);
  const tagFDATA twinned = MakeRecord(withTwins(finger, 10));
  EXPECT_EQ(MatchFeatureSets(&twinned, &plain), 15);
  EXPECT_EQ(MatchFeatureSets(&plain, &twinned), 25);

  const tagFDATA manyTwins = MakeRecord(withTwins(finger, 14));
  EXPECT_LT(MatchFeatureSets(&manyTwins, &plain), 12);
  EXPECT_GE(MatchFeatureSets(&plain, &manyTwins), 12);
}

TEST(MatchEngine, TwoOrThreePairsAreRejectedHoweverConsistent) {
  for (int cores : {2, 3}) {
    const tagFDATA record = MakeRecord(star(cores));
    EXPECT_EQ(MatchFeatureSets(&record, &record), 0) << cores << " cores";
    EXPECT_EQ(LastMatchResults().pairs, cores);
    EXPECT_EQ(LastMatchResults().decision, -222);
  }
}

TEST(MatchEngine, ReportsTheTranslationFromScannedToSearched) {
  const tagFDATA stored = MakeRecord(kTwelve);
  const tagFDATA fresh = MakeRecord(Shifted(kTwelve, 16, -22));
  ASSERT_EQ(MatchFeatureSets(&stored, &fresh), 12);
  EXPECT_EQ(LastMatchResults().dx, 16);
  EXPECT_EQ(LastMatchResults().dy, -22);
  EXPECT_EQ(LastMatchResults().decision, 1);
  ASSERT_EQ(MatchFeatureSets(&fresh, &stored), 12);
  EXPECT_EQ(LastMatchResults().dx, -16);
  EXPECT_EQ(LastMatchResults().dy, 22);
}

TEST(MatchEngine, RecordsClaimingMoreThanFiftyMinutiaeUseTheirFirstFifty) {
  Random random(9);
  tagFDATA record = MakeRecord(RandomMinutiae(random, 50));
  const tagFDATA fifty = record;
  record.count = 200;  // the bytes behind minutia 50 are the record's tail
  EXPECT_EQ(MatchFeatureSets(&record, &fifty), 25);
  EXPECT_EQ(MatchFeatureSets(&fifty, &record), 25);
}

TEST(MatchEngine, ParametersCarryTheirDerivedUnits) {
  const MatchParams& p = matchParams();
  EXPECT_EQ(p.relativeDirectionUnits, 26);
  EXPECT_EQ(p.relativeOrientationUnits, 20);
  EXPECT_EQ(p.orientationUnits, 20);
  EXPECT_EQ(p.directionWeight, 1508);
  EXPECT_EQ(p.relativeOrientationWeight, 2011);
  EXPECT_EQ(p.orientationWeight, 2011);
  EXPECT_EQ(p.neighbourCostLimit, 170394);
  EXPECT_DOUBLE_EQ(p.distanceFactor1024, 245.76);
  EXPECT_EQ(p.neighboursNeeded(), 4);
  EXPECT_EQ(p.scanStopPairs(), 25);
}

// The enrollment rule may read the translation before any comparison ran: it
// must be there, zero, from the start. Run in a fresh process so that no
// earlier test has compared anything.
TEST(MatchEngine, ResultsAreZeroBeforeTheFirstComparison) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const MatchResults r = LastMatchResults();
        const bool zero = r.pairs == 0 && r.dx == 0 && r.dy == 0 && r.decision == 0 && r.meanCost == 0;
        // A new impression without minutiae compares as -1 and reads that translation: 0, 0 is "not moved".
        tagENROLL enroll{};
        enroll.slot[0] = MakeRecord(kTwelve);
        enroll.flags[0] = 1;
        const bool notMoved = CheckNewImpression(enroll, 1, ImpressionSource::Image) == EnrollVerdict::NotMoved;
        std::exit(zero && notMoved ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
