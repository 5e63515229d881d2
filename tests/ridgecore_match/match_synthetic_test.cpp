#include <gtest/gtest.h>

#include "match/MatchFeatureSets.h"
#include "match/synthetic/SyntheticMinutiae.h"

using namespace ridgecore;
using namespace ridgecore::synthetic;

// Plausible prints before real ones: a second impression turned by a few
// degrees, moved, with minutiae lost and spurious ones added and positions
// a little off, is the same finger; two unrelated fingers are not.
TEST(SyntheticPrints, GenuinePairsMatchBothWays) {
  for (uint64_t seed = 1; seed <= 40; ++seed) {
    const RecordPair pair = GenuinePair(seed);
    EXPECT_GE(MatchFeatureSets(&pair.second, &pair.first), 12) << "seed " << seed;
    EXPECT_GE(MatchFeatureSets(&pair.first, &pair.second), 12) << "seed " << seed;
  }
}

TEST(SyntheticPrints, UnrelatedFingersDoNotMatch) {
  for (uint64_t seed = 1; seed <= 40; ++seed) {
    const RecordPair pair = ImpostorPair(seed);
    EXPECT_LT(MatchFeatureSets(&pair.second, &pair.first), 12) << "seed " << seed;
    EXPECT_LT(MatchFeatureSets(&pair.first, &pair.second), 12) << "seed " << seed;
  }
}

namespace {

// A finger of count minutiae and its second impression under d (shift drawn from the seed).
RecordPair distorted(uint64_t seed, int count, Distortion d) {
  Random random(seed);
  const MinutiaSet finger = RandomMinutiae(random, count);
  d.dx = random.uniform(-30, 30);
  d.dy = random.uniform(-30, 30);
  return RecordPair{MakeRecord(finger), MakeRecord(Distort(finger, d, random))};
}

}  // namespace

TEST(SyntheticPrints, HarderDistortionsStillMatchWhileEnoughMinutiaeAreShared) {
  for (uint64_t seed = 1; seed <= 20; ++seed) {
    const Distortion d{seed % 2 ? 0.2 : -0.2, 0, 0, 8, 8, 5, 3};
    const RecordPair pair = distorted(seed, 35, d);
    EXPECT_GE(MatchFeatureSets(&pair.second, &pair.first), 12) << "seed " << seed;
  }
}

TEST(SyntheticPrints, TooFewSharedMinutiaeDoNotMatch) {
  // Thirty minutiae of which only ten survive: never more than 11 pairs.
  for (uint64_t seed = 1; seed <= 20; ++seed) {
    const RecordPair pair = distorted(seed, 30, Distortion{0.05, 0, 0, 20, 20, 2, 2});
    EXPECT_LT(MatchFeatureSets(&pair.second, &pair.first), 12) << "seed " << seed;
  }
}
