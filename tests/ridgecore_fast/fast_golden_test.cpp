#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fast/FastForm.h"
#include "fast/FastMatch.h"
#include "match/synthetic/SyntheticMinutiae.h"
#include "tests/ridgecore_fast/FastScenes.h"

using namespace ridgecore;
using namespace ridgecore::synthetic;

// Every stage figure of a fixed set of fast comparisons, and a digest of the
// fast forms they compare, as the first straightforward version of the
// matcher gave them. Any change here is a change of results. After a change
// made on purpose: RIDGECORE_FAST_GOLDEN_PRINT=1 test_ridgecore_fast
// --gtest_filter=FastGolden.* | grep '^{' > tests/ridgecore_fast/fast_golden_table.inc
namespace {

constexpr int kComparisons = 120;  // 60 pairs, both ways

struct Golden {
  int result, pairs, quick, consistency, extension, measured, dx, dy;
  bool operator==(const Golden&) const = default;
};

// A lattice of minutiae pointing about one way: neighbourhoods alike
// everywhere, so that wrong pairs are found and the checks must catch them.
MinutiaSet lattice(Random& random) {
  const int step = random.uniform(30, 60), jitter = random.uniform(2, 10);
  const int direction = random.uniform(0, 127), spread = random.uniform(0, 30);
  MinutiaSet set;
  for (int y = 20; y < 280; y += step) {
    for (int x = 20; x < 280; x += step)
      set.push_back({x + random.uniform(-jitter, jitter), y + random.uniform(-jitter, jitter),
                     (direction + random.uniform(-spread, spread) + 128) % 128, true});
  }
  if (set.size() > 50) set.resize(50);
  return set;
}

RecordPair latticePair(uint64_t seed) {
  Random random(seed);
  const MinutiaSet a = lattice(random);
  const Distortion d{
      random.uniform(-30, 30) * 0.01, random.uniform(-20, 20), random.uniform(-20, 20), int(a.size()) / 2,
      random.uniform(0, 10),          random.uniform(2, 10),   random.uniform(2, 12)};
  return RecordPair{MakeRecord(a), MakeRecord(Distort(a, d, random))};
}

// Seeds of lattice pairs that end in the rarer stage outcomes: the quick
// check finding lengths (1) or turns (2) apart, the consistency check
// finding the pairs inconsistent (1), rotated (2) or with outliers (3).
constexpr uint64_t kRareOutcomes[] = {20116, 20027, 20013, 20040, 20287, 20503};

RecordPair goldenPair(int k) {
  constexpr int kRare = int(sizeof kRareOutcomes / sizeof kRareOutcomes[0]);
  if (k < kRare) return latticePair(kRareOutcomes[k]);
  if (k % 4 == 2) return latticePair(uint64_t(40000 + k));
  Random random{uint64_t(3000 + k)};
  const MinutiaSet finger = RandomMinutiae(random, random.uniform(10, 50), random.uniform(10, 24));
  if (k % 4 == 3) return RecordPair{MakeRecord(finger), MakeRecord(RandomMinutiae(random, random.uniform(10, 50)))};
  const Distortion d = fastscenes::anyDistortion(random, int(finger.size()));
  return RecordPair{MakeRecord(finger), MakeRecord(Distort(finger, d, random))};
}

tagFASTFDATA fast(const tagFDATA& r) {
  tagFASTFDATA out;
  std::memset(&out, 0, sizeof out);
  ToFastForm(r, out);
  return out;
}

uint64_t digest(uint64_t h, const tagFASTFDATA& r) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(&r);
  for (size_t i = 0; i < sizeof r; ++i) h = (h ^ p[i]) * 0x100000001B3ull;  // FNV-1a
  return h;
}

Golden figures(const FastMatchReport& r) {
  return Golden{r.result,    r.pairs,         r.quick,          r.consistency,
                r.extension, int(r.measured), r.translation.dx, r.translation.dy};
}

const Golden kGolden[] = {
#include "tests/ridgecore_fast/fast_golden_table.inc"
};
constexpr uint64_t kFormDigest = 0xbc33171561553c65;

}  // namespace

TEST(FastGolden, FiguresOverFixedSyntheticPairsStayTheSame) {
  const bool print = std::getenv("RIDGECORE_FAST_GOLDEN_PRINT") != nullptr;
  ASSERT_TRUE(print || sizeof kGolden / sizeof kGolden[0] == kComparisons);
  uint64_t forms = 0xCBF29CE484222325ull;
  int matches = 0;
  for (int k = 0; k < kComparisons; ++k) {
    const RecordPair pair = goldenPair(k / 2);
    const tagFASTFDATA a = fast(k % 2 ? pair.first : pair.second);
    const tagFASTFDATA b = fast(k % 2 ? pair.second : pair.first);
    forms = digest(digest(forms, a), b);
    const Golden got = figures(EvaluateFastMatch(a, b));
    matches += got.result >= kFastTemplateMatch;
    if (print) {
      std::printf("{%d, %d, %d, %d, %d, %d, %d, %d},\n", got.result, got.pairs, got.quick, got.consistency,
                  got.extension, got.measured, got.dx, got.dy);
      continue;
    }
    const Golden& want = kGolden[k];
    EXPECT_EQ(got, want) << "comparison " << k << ": got {" << got.result << ", " << got.pairs << ", " << got.quick
                         << ", " << got.consistency << ", " << got.extension << ", " << got.measured << ", " << got.dx
                         << ", " << got.dy << "}";
  }
  if (print) {
    std::printf("form digest 0x%llx\n", static_cast<unsigned long long>(forms));
    return;
  }
  EXPECT_EQ(forms, kFormDigest);
  // The set spans both outcomes and the stages in between, so that it guards all of them.
  EXPECT_GT(matches, 10);
  EXPECT_LT(matches, kComparisons - 10);
}
