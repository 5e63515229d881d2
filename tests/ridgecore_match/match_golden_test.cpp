#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "match/MatchFeatureSets.h"
#include "match/MatchResults.h"
#include "match/synthetic/SyntheticMinutiae.h"

using namespace ridgecore;
using namespace ridgecore::synthetic;

// Raw counts, decisions and translations over a fixed set of synthetic pairs,
// as the engine gave them before any speed work. Any change of a figure here
// is a change of the matcher's results. To rewrite the table after a change
// made on purpose: RIDGECORE_MATCH_GOLDEN_PRINT=1 test_ridgecore_match
// --gtest_filter=MatchGolden.* > tests/ridgecore_match/match_golden_table.inc
namespace {

constexpr int kComparisons = 120;  // 60 pairs, both ways

struct Golden {
  int result, pairs, decision, dx, dy;
};

// Pairs of every difficulty: genuine, impostor, and in between.
RecordPair goldenPair(int k) {
  Random random{uint64_t(1000 + k)};
  const MinutiaSet finger = RandomMinutiae(random, random.uniform(18, 50), random.uniform(12, 24));
  Distortion d;
  d.rotation = random.uniform(-40, 40) * 0.01;
  d.dx = random.uniform(-40, 40);
  d.dy = random.uniform(-40, 40);
  d.dropped = random.uniform(0, int(finger.size()) * 3 / 4);
  d.added = random.uniform(0, 15);
  d.positionNoise = random.uniform(0, 12);
  d.directionNoise = random.uniform(0, 8);
  if (k % 5 == 4) return RecordPair{MakeRecord(finger), MakeRecord(RandomMinutiae(random, random.uniform(18, 50)))};
  if (k % 5 == 3) {
    // Only a handful of minutiae in common: the small-count rules decide.
    d.dropped = int(finger.size()) - random.uniform(5, 11);
    d.added = random.uniform(0, 4);
  }
  const MinutiaSet second = Distort(finger, d, random);
  return RecordPair{MakeRecord(finger), MakeRecord(second)};
}

const Golden kGolden[] = {
#include "tests/ridgecore_match/match_golden_table.inc"
};

}  // namespace

TEST(MatchGolden, FiguresOverFixedSyntheticPairsStayTheSame) {
  const bool print = std::getenv("RIDGECORE_MATCH_GOLDEN_PRINT") != nullptr;
  ASSERT_TRUE(print || sizeof kGolden / sizeof kGolden[0] == kComparisons);
  int matches = 0;
  for (int k = 0; k < kComparisons; ++k) {
    const RecordPair pair = goldenPair(k / 2);
    const tagFDATA& scanned = k % 2 ? pair.first : pair.second;
    const tagFDATA& searched = k % 2 ? pair.second : pair.first;
    const int result = MatchFeatureSets(&scanned, &searched);
    const MatchResults& r = LastMatchResults();
    const Golden got{result, r.pairs, r.decision, r.dx, r.dy};
    matches += result >= 12;
    if (print) {
      std::printf("{%d, %d, %d, %d, %d},\n", got.result, got.pairs, got.decision, got.dx, got.dy);
      continue;
    }
    const Golden& want = kGolden[k];
    EXPECT_TRUE(got.result == want.result && got.pairs == want.pairs && got.decision == want.decision &&
                got.dx == want.dx && got.dy == want.dy)
        << "comparison " << k << ": got {" << got.result << ", " << got.pairs << ", " << got.decision << ", " << got.dx
        << ", " << got.dy << "}";
  }
  // The set spans both outcomes, so that it guards both.
  EXPECT_GT(matches, 10);
  EXPECT_LT(matches, kComparisons - 10);
}
