#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fast/FastCellFilter.h"
#include "fast/FastMatch.h"
#include "fast/FastPairChecks.h"
#include "fast/FastParams.h"
#include "fast/FastProbe.h"
#include "fast/FastSweep.h"
#include "tests/ridgecore_fast/FastScenes.h"

using namespace ridgecore;
using namespace ridgecore::synthetic;
using namespace fastscenes;

namespace {

struct Found {
  int ia, ib, matched;
  bool operator==(const Found&) const = default;
};

// The sweep and the neighbour walk exactly as they are described: a window
// start that moves past a's too far left, an end at the first a too far
// right, and b's neighbours walked from a start that moves past those too
// near. Kept apart from the library's formulation, which must agree with it
// on every record in the prescribed order.
std::vector<Found> describedSweep(const tagFASTFDATA& ra, const tagFASTFDATA& rb) {
  const FastMinutia* a = FastMinutiae(ra);
  const FastMinutia* b = FastMinutiae(rb);
  const int stop = FastStopCount(ra.count, rb.count);
  std::vector<Found> found;
  std::vector<bool> paired(ra.count);
  int start = 0;
  for (int ib = 0; ib < rb.count && int(found.size()) < stop; ++ib) {
    for (int ia = start; ia < ra.count; ++ia) {
      if (paired[ia]) continue;
      if (a[ia].x - b[ib].x < -100) {
        start = ia + 1;
        continue;
      }
      if (a[ia].x - b[ib].x > 100) break;
      const int turn = std::abs(a[ia].direction - b[ib].direction);
      if (std::abs(a[ia].y - b[ib].y) > 100 || (turn > 16 && turn < 112)) continue;
      if (a[ia].neighbourCount <= 5 || b[ib].neighbourCount <= 5) continue;
      int needed = 11, matched = 0, sum = 0, from = 0;
      bool taken[25] = {};
      for (int i = 0; i < a[ia].neighbourCount; ++i) {
        if (matched > needed || matched + (a[ia].neighbourCount - i + 1) < needed) break;
        const FastNeighbour& na = a[ia].neighbours[i];
        const int e = int8_t(na.distance), t = e > 40 ? 4 : 3;
        for (int j = from; j < b[ib].neighbourCount; ++j) {
          if (taken[j]) continue;
          const FastNeighbour& nb = b[ib].neighbours[j];
          const int g = e - int8_t(nb.distance);
          if (g > t) {
            from = j + 1;
            continue;
          }
          if (g < -t) break;
          const int di = uint8_t(std::abs(na.relativeDirection - nb.relativeDirection));
          const int dj = uint8_t(std::abs(na.relativeOrientation - nb.relativeOrientation));
          if ((di > 7 && di < 121) || (dj > 7 && dj < 121)) continue;
          taken[j] = true;
          ++matched;
          sum = (sum + std::min(di, 128 - di) + std::min(dj, 128 - dj)) % 256;
          break;
        }
      }
      if (sum < 65) --needed;
      if (matched > needed && sum < 78 && matched > 0) {
        found.push_back({ia, ib, matched});
        paired[ia] = true;
        break;
      }
    }
  }
  return found;
}

std::vector<Found> asFound(const FastPair* pairs, int count) {
  std::vector<Found> out;
  for (int k = 0; k < count; ++k) out.push_back({pairs[k].indexA, pairs[k].indexB, pairs[k].matched});
  return out;
}

tagFASTFDATA fast(const tagFDATA& r) {
  tagFASTFDATA out;
  std::memset(&out, 0, sizeof out);
  ToFastForm(r, out);
  return out;
}

// Pairs of every kind: the same finger moved, turned, thinned out and
// noisy; other fingers; small records.
RecordPair mixedPair(int k) {
  Random random{uint64_t(500 + k)};
  const MinutiaSet finger = RandomMinutiae(random, random.uniform(8, 50), random.uniform(10, 24));
  if (k % 4 == 3) return RecordPair{MakeRecord(finger), MakeRecord(RandomMinutiae(random, random.uniform(8, 50)))};
  return RecordPair{MakeRecord(finger), MakeRecord(Distort(finger, anyDistortion(random, int(finger.size())), random))};
}

}  // namespace

TEST(FastMatch, SweepFindsThePairsOfTheDescribedWalk) {
  int pairsSeen = 0;
  for (int k = 0; k < 160; ++k) {
    const RecordPair p = mixedPair(k);
    const tagFASTFDATA a = fast(p.first), b = fast(p.second);
    const std::vector<Found> described = describedSweep(a, b);
    for (const FastProbe::Method method : {FastProbe::Method::Tables, FastProbe::bestMethod()}) {
      FastPair pairs[kFastMaxPairs];
      uint64_t pa = 0, pb = 0;
      const FastProbe probe(b, method);
      EXPECT_EQ(asFound(pairs, probe.findPairs(a, FastStopCount(a.count, b.count), pairs, pa, pb)), described) << k;
    }
    pairsSeen += int(described.size());
  }
  EXPECT_GT(pairsSeen, 300);  // the set pairs plenty, not only rejects
}

TEST(FastMatch, StopCountsBySize) {
  struct Case {
    int stored, other, pairs;
  } cases[] = {{17, 17, 9}, {14, 14, 8}, {18, 18, 11}, {13, 14, 9}, {14, 13, 8}};
  for (const Case& c : cases) {
    const tagFASTFDATA stored = scene(c.stored, 0).stored;
    const tagFASTFDATA other = scene(c.other, 0).other;
    EXPECT_EQ(EvaluateFastMatch(stored, other).pairs, c.pairs) << c.stored << "/" << c.other;
  }
}

TEST(FastMatch, FourPairsGiveNothingFiveGiveFive) {
  const Scene four = scene(4, 3);
  const FastMatchReport r4 = EvaluateFastMatch(four.stored, four.other);
  EXPECT_EQ(r4.pairs, 4);
  EXPECT_EQ(r4.result, 0);
  EXPECT_FALSE(r4.measured);  // ended before the consistency check
  const Scene five = scene(5, 3);
  EXPECT_EQ(EvaluateFastMatch(five.stored, five.other).result, 5);
}

// The more minutiae stay unpaired on the smaller side, the more pairs a result needs.
TEST(FastMatch, FinalBoundByUnpairedMinutiae) {
  const Scene u16 = scene(10, 16);  // 26 minutiae, 10 paired
  EXPECT_EQ(EvaluateFastMatch(u16.stored, u16.other).result, 10);
  const Scene u17 = scene(8, 17);
  const FastMatchReport r = EvaluateFastMatch(u17.stored, u17.other);
  EXPECT_EQ(r.pairs, 8);
  EXPECT_EQ(std::min(r.quick, r.consistency), 8);
  EXPECT_EQ(r.result, 0);
  const Scene u15 = scene(8, 15);
  EXPECT_EQ(EvaluateFastMatch(u15.stored, u15.other).result, 8);
}

// Minutiae the sweep left over count when they agree with the pairs.
TEST(FastMatch, ExtensionCountsMinutiaeBeyondTheStopCount) {
  const Scene eleven = scene(11, 7);
  const FastMatchReport r11 = EvaluateFastMatch(eleven.stored, eleven.other);
  EXPECT_EQ(r11.pairs, 11);
  EXPECT_EQ(r11.extension, 0);
  EXPECT_EQ(r11.result, 11);
  const Scene twelve = scene(12, 6);
  const FastMatchReport r12 = EvaluateFastMatch(twelve.stored, twelve.other);
  EXPECT_EQ(r12.pairs, 11);
  EXPECT_EQ(r12.extension, 1);
  EXPECT_EQ(r12.result, 12);
  EXPECT_EQ(r12.translation.dx, 12);
  EXPECT_EQ(r12.translation.dy, 8);
}

TEST(FastMatch, RotationBeyondTheLimitFailsTheConsistencyCheck) {
  Random random(31);
  const MinutiaSet finger = RandomMinutiae(random, 40);
  Distortion turned;
  turned.rotation = 0.25;
  const tagFASTFDATA stored = fast(MakeRecord(finger));
  EXPECT_GE(FastMatch(stored, fast(MakeRecord(Distort(finger, turned, random)))), 12);
  turned.rotation = 0.7;  // directions still within the sweep's tolerance, rotation past 0.65
  const FastMatchReport r = EvaluateFastMatch(stored, fast(MakeRecord(Distort(finger, turned, random))));
  EXPECT_GE(r.pairs, 5);
  EXPECT_EQ(r.consistency, 2);
  EXPECT_EQ(r.result, 0);
}

// A pair's rotation folds differences across the seam of the signed directions.
TEST(FastMatch, PairRotationFoldsAcrossTheSeam) {
  const double unit = 0.04908738521234052;
  EXPECT_DOUBLE_EQ(FastPairRotation(10, 0), 10 * unit);
  EXPECT_DOUBLE_EQ(FastPairRotation(0, 10), -10 * unit);
  EXPECT_DOUBLE_EQ(FastPairRotation(60, -60), 7 * unit);   // 120: 127 - 120
  EXPECT_DOUBLE_EQ(FastPairRotation(-60, 60), -7 * unit);  // -120: -127 + 120
}

TEST(FastMatch, SyntheticGenuineMatchAndImpostorsDoNot) {
  int genuine = 0, impostor = 0;
  for (int k = 1; k <= 60; ++k) {
    const RecordPair g = GenuinePair(uint64_t(k));
    genuine += FastMatch(fast(g.first), fast(g.second)) >= kFastTemplateMatch;
    const RecordPair i = ImpostorPair(uint64_t(k));
    impostor += FastMatch(fast(i.first), fast(i.second)) >= kFastRecordMatch;
  }
  EXPECT_GE(genuine, 57);
  EXPECT_EQ(impostor, 0);
}

// The translation is the mean difference plus a half, truncated: toward
// zero, so a shift to the left or up comes out one pixel short.
TEST(FastMatch, TranslationKeptOnlyWhenTheConsistencyCheckRan) {
  const Scene moved = scene(12, 6, 20, 10);
  EXPECT_EQ(FastMatch(moved.stored, moved.other), 12);
  EXPECT_EQ(LastFastTranslation().dx, 20);
  EXPECT_EQ(LastFastTranslation().dy, 10);
  const Scene few = scene(4, 3, 2, 2);
  EXPECT_EQ(FastMatch(few.stored, few.other), 0);
  EXPECT_EQ(LastFastTranslation().dx, 20);  // four pairs end before the check
  const Scene up = scene(12, 6, 20, -10);
  EXPECT_EQ(FastMatch(up.stored, up.other), 12);
  EXPECT_EQ(LastFastTranslation().dy, -9);
}

// Neighbour values over the whole byte range: distances read as negative,
// angles at the seam of the signed bytes, runs clipped at either end of the
// probe's tables. b is a's record with every value nudged to either side of
// its tolerance (across the seams too), or another record; the probe must
// pair as the sweep that tests b's neighbours directly.
// Records over the whole range of every neighbour byte, and copies of them
// nudged to either side of every tolerance.
tagFASTFDATA randomFullRangeRecord(Random& random) {
  tagFASTFDATA r;
  std::memset(&r, 0, sizeof r);
  r.count = uint8_t(random.uniform(20, 40));
  FastMinutia* m = FastMinutiae(r);
  for (int i = 0; i < r.count; ++i) {
    m[i].x = uint8_t(random.uniform(0, 150) / 10 * 10 + i % 10);
    m[i].y = uint8_t(random.uniform(0, 200));
    m[i].direction = int8_t(random.uniform(-63, 64));
    m[i].neighbourCount = uint8_t(random.uniform(6, 25));
    for (FastNeighbour& n : m[i].neighbours) {
      n = FastNeighbour{uint8_t(random.next()), int8_t(random.next()), int8_t(random.next()), 0};
    }
    SortFastNeighbours(m[i].neighbours, m[i].neighbourCount);
  }
  std::sort(m, m + r.count, [](const FastMinutia& s, const FastMinutia& t) { return s.x < t.x; });
  return r;
}

tagFASTFDATA nudged(tagFASTFDATA b, Random& random) {
  for (int i = 0; i < FastMinutiaCount(b); ++i) {
    for (FastNeighbour& n : FastMinutiae(b)[i].neighbours) {
      n.distance = uint8_t(n.distance + random.uniform(-5, 5));
      n.relativeDirection = int8_t(uint8_t(n.relativeDirection + random.uniform(-8, 8)));
      n.relativeOrientation = int8_t(uint8_t(n.relativeOrientation + random.uniform(-8, 8)));
    }
  }
  return b;
}

TEST(FastMatch, ProbeTablesAgreeWithTheDirectTestOverEveryValue) {
  Random random(91);
  const FastParams& p = fastParams();
  int pairsSeen = 0;
  for (int k = 0; k < 120; ++k) {
    const tagFASTFDATA a = randomFullRangeRecord(random);
    const tagFASTFDATA b = k % 3 == 2 ? randomFullRangeRecord(random) : nudged(a, random);
    const int stop = FastStopCount(a.count, b.count);
    std::vector<Found> direct;
    uint64_t taken = 0;
    SweepMinutiae(FastMinutiae(a), a.count, FastMinutiae(b), b.count, p.neededNeighbours, taken,
                  [&](int ia, int ib, int matched) {
                    direct.push_back({ia, ib, matched});
                    taken |= uint64_t{1} << ia;
                    return int(direct.size()) < stop;
                  });
    FastPair pairs[kFastMaxPairs];
    uint64_t pa = 0, pb = 0;
    const FastProbe probe(b, FastProbe::Method::Tables);
    EXPECT_EQ(asFound(pairs, probe.findPairs(a, stop, pairs, pa, pb)), direct) << k;
    pairsSeen += int(direct.size());
  }
  EXPECT_GT(pairsSeen, 100);  // nudged copies pair, so the tables are read where they hold bits
}

// The cells may let more pairs through to the neighbourhood test than the
// tables' count, never fewer: the pairs, their order and both paired sets
// must be those of the tables, on records paired at the edges of every
// tolerance, on moved and noisy fingers, and on bytes of any value and order.
TEST(FastMatch, CellsFindThePairsOfTheTables) {
  if (!FastCellProbe::available()) GTEST_SKIP() << "the processor lacks AVX-512 BW / VBMI or GFNI";
  Random random(123);
  std::vector<std::pair<tagFASTFDATA, tagFASTFDATA>> cases;
  for (int k = 0; k < 150; ++k) {
    const tagFASTFDATA a = randomFullRangeRecord(random);
    cases.emplace_back(a, k % 3 == 2 ? randomFullRangeRecord(random) : nudged(a, random));
  }
  for (int k = 0; k < 160; ++k) {
    const RecordPair p = mixedPair(k);
    cases.emplace_back(fast(p.first), fast(p.second));
  }
  for (int k = 0; k < 60; ++k) {
    tagFASTFDATA a, b;
    for (size_t i = 0; i < sizeof a; ++i) reinterpret_cast<unsigned char*>(&a)[i] = uint8_t(random.next());
    b = k % 2 ? a : nudged(a, random);
    cases.emplace_back(a, b);
  }
  int pairsSeen = 0;
  for (size_t k = 0; k < cases.size(); ++k) {
    const auto& [a, b] = cases[k];
    for (const int stop : {kFastMaxPairs, 9, 8}) {
      FastPair byProbe[kFastMaxPairs], byCells[kFastMaxPairs];
      uint64_t probeA = 0, probeB = 0, cellsA = 0, cellsB = 0;
      const int n = FastProbe(b, FastProbe::Method::Tables).findPairs(a, stop, byProbe, probeA, probeB);
      ASSERT_EQ(FastProbe(b, FastProbe::Method::Cells).findPairs(a, stop, byCells, cellsA, cellsB), n) << k;
      EXPECT_EQ(std::memcmp(byCells, byProbe, size_t(n) * sizeof(FastPair)), 0) << k;
      EXPECT_EQ(cellsA, probeA) << k;
      EXPECT_EQ(cellsB, probeB) << k;
      if (stop == kFastMaxPairs) pairsSeen += n;
    }
  }
  EXPECT_GT(pairsSeen, 1000);  // most cases pair, many at the edge of a tolerance
}

// Records altered by hand: any counts and bytes are compared without reading
// past the records (the sanitizer build would stop here), and with results
// a comparison can have.
TEST(FastMatch, ArbitraryBytesAreComparedSafely) {
  Random random(77);
  int paired = 0;
  for (int k = 0; k < 40; ++k) {
    tagFASTFDATA a, b;
    unsigned char* pa = reinterpret_cast<unsigned char*>(&a);
    unsigned char* pb = reinterpret_cast<unsigned char*>(&b);
    for (size_t i = 0; i < sizeof a; ++i) {
      pa[i] = uint8_t(random.next());
      pb[i] = uint8_t(random.next());
    }
    if (k % 2) b = a;  // the same bytes on both sides pair a lot
    const FastMatchReport r = EvaluateFastMatch(a, b);
    EXPECT_LE(r.pairs, kFastMaxPairs);
    EXPECT_LE(r.result, 2 * kFastMaxPairs + RIDGECORE_MAX_MINUTIAE);
    EXPECT_GE(r.result, 0);
    paired += r.pairs;
  }
  EXPECT_GT(paired, 0);
}
