#include <gtest/gtest.h>

#include <cstring>

#include "fast/FastForm.h"
#include "match/synthetic/SyntheticMinutiae.h"

using namespace ridgecore;
using namespace ridgecore::synthetic;

namespace {

tagFASTFDATA converted(const tagFDATA& source, unsigned char fill = 0) {
  tagFASTFDATA out;
  std::memset(&out, fill, sizeof out);
  ToFastForm(source, out);
  return out;
}

// Record units: the pixel coordinates below are twice these.
tagFDATA record(std::initializer_list<Minutia> minutiae) { return MakeRecord(MinutiaSet(minutiae)); }

}  // namespace

TEST(FastForm, ConvertingTwiceGivesTheSameBytes) {
  Random random(5);
  const tagFDATA source = MakeRecord(RandomMinutiae(random, 44));
  const tagFASTFDATA once = converted(source);
  tagFASTFDATA twice = once;
  ToFastForm(source, twice);
  EXPECT_EQ(std::memcmp(&once, &twice, sizeof once), 0);
  const tagFASTFDATA again = converted(source);
  EXPECT_EQ(std::memcmp(&once, &again, sizeof once), 0);
}

// Header bytes are written, the mark and the records past the count are not.
TEST(FastForm, WritesCountAndZerosAndLeavesTheRest) {
  Random random(6);
  const tagFASTFDATA out = converted(MakeRecord(RandomMinutiae(random, 20)), 0xAB);
  EXPECT_EQ(out.count, 20);
  EXPECT_EQ(out.zero[0] | out.zero[1] | out.zero[2], 0);
  EXPECT_EQ(out.mark[0], 0xAB);
  EXPECT_EQ(out.minutiae[20][0], 0xAB);
  EXPECT_EQ(out.minutiae[49][103], 0xAB);
}

TEST(FastForm, MinutiaeSortedByPositionNeighboursByDistance) {
  Random random(7);
  const tagFASTFDATA out = converted(MakeRecord(RandomMinutiae(random, 50, 12)));
  const FastMinutia* m = FastMinutiae(out);
  for (int i = 0; i < out.count; ++i) {
    if (i > 0) {
      ASSERT_TRUE(m[i - 1].x < m[i].x || (m[i - 1].x == m[i].x && m[i - 1].y <= m[i].y)) << i;
    }
    ASSERT_LE(m[i].neighbourCount, 25);
    for (int j = 0; j < 25; ++j) {
      if (j > 0) {
        ASSERT_LE(m[i].neighbours[j - 1].distance, m[i].neighbours[j].distance) << i << " " << j;
      }
      if (j >= m[i].neighbourCount) {
        ASSERT_EQ(m[i].neighbours[j].distance, 127);
      }
    }
  }
}

// Every ring a neighbour lies in lists it again: one within 50 units is
// listed four times, one at 60 three times, at 80 twice, at 95 once, at
// 101 not at all.
TEST(FastForm, NeighboursAreListedOncePerRingTheyLieIn) {
  const tagFASTFDATA out = converted(record({{20, 20, 0, true},
                                             {120, 20, 0, true},     // 50 units away
                                             {20, 140, 0, true},     // 60
                                             {180, 20, 0, true},     // 80
                                             {20, 210, 0, true},     // 95
                                             {222, 20, 0, true}}));  // 101
  const FastMinutia& first = FastMinutiae(out)[0];                   // (10, 10): smallest x, then y
  ASSERT_EQ(first.x, 10);
  ASSERT_EQ(first.neighbourCount, 4 + 3 + 2 + 1);
  const int expected[] = {50, 50, 50, 50, 60, 60, 60, 80, 80, 95};
  for (int j = 0; j < 10; ++j) EXPECT_EQ(first.neighbours[j].distance, expected[j]) << j;
}

TEST(FastForm, AtMostTwentyFiveNeighboursInSourceOrder) {
  MinutiaSet set;
  for (int k = 0; k < 12; ++k) set.push_back({100 + 6 * k, 100, 0, true});  // all within one ring
  const tagFASTFDATA out = converted(MakeRecord(set));
  for (int i = 0; i < 12; ++i) EXPECT_EQ(FastMinutiae(out)[i].neighbourCount, 25) << i;  // 11 + 11 + 3
}

TEST(FastForm, DirectionsAndRelativeAngles) {
  // (50, 50) pointing along +x; a neighbour 10 to the right pointing a quarter turn on.
  const tagFASTFDATA a = converted(record({{100, 100, 0, true}, {120, 100, 32, false}}));
  const FastNeighbour& n = FastMinutiae(a)[0].neighbours[0];
  EXPECT_EQ(n.distance, 10);
  EXPECT_EQ(n.relativeDirection, 0);
  EXPECT_EQ(n.relativeOrientation, -32);
  EXPECT_EQ(n.index, 1);
  // Pointing up (96); a neighbour straight below lies half a turn away.
  const tagFASTFDATA b = converted(record({{100, 100, 96, true}, {100, 120, 0, true}}));
  EXPECT_EQ(FastMinutiae(b)[0].direction, -32);
  EXPECT_EQ(FastMinutiae(b)[0].neighbours[0].relativeDirection, -64);
  EXPECT_EQ(FastMinutiae(b)[0].neighbours[0].relativeOrientation, -32);
  EXPECT_EQ(FastMinutiae(b)[1].direction, 0);
  const tagFASTFDATA c = converted(record({{100, 100, 64, true}, {100, 160, 65, true}}));
  EXPECT_EQ(FastMinutiae(c)[0].direction, 64);
  EXPECT_EQ(FastMinutiae(c)[1].direction, -63);
}

TEST(FastForm, RecordClaimingMoreThanFiftyMinutiaeGivesFifty) {
  Random random(8);
  tagFDATA source = MakeRecord(RandomMinutiae(random, 50, 12));
  source.count = 200;
  EXPECT_EQ(converted(source).count, 50);
}
