// Minutiae detection, suppression, ridge tracing and record writing on drawn skeletons.
#include <gtest/gtest.h>

#include <cstring>

#include "extract/MinutiaeDetection.h"
#include "extract/RecordWriting.h"
#include "tests/ridgecore/SyntheticImages.h"

using namespace ridgecore;
using namespace ridgecoretest;

namespace {

struct Found {
  int col, row, direction;
  bool bifurcation;
};

class MinutiaeTest : public ::testing::Test {
 protected:
  MinutiaeTest() : mask(blockMap(200, 0)) { std::memset(&record, 0x33, sizeof record); }

  void horizontal(int row, int from, int to) {
    for (int c = from; c <= to; ++c) skeleton.set(row, c);
  }
  void vertical(int col, int from, int to) {
    for (int r = from; r <= to; ++r) skeleton.set(r, col);
  }
  // A T: a horizontal bar with a stem down from its middle, arms of 12.
  void tee(int row, int col) {
    horizontal(row, col - 12, col + 12);
    vertical(col, row + 1, row + 12);
  }

  std::vector<Found> extract() {
    detectMinutiae(skeleton.data(), mask.data());
    suppressMinutiae(skeleton.data(), mask.data());
    writeMinutiae(skeleton.data(), mask.data(), record);
    std::vector<Found> found;
    for (int k = 0; k < record.count; ++k) {
      const tagFMINUTIA& m = record.minutiae[k];
      found.push_back({m.x * 2, m.y * 2, m.typeDir >> 1, (m.typeDir & 1) != 0});
    }
    return found;
  }

  BinaryCanvas skeleton;
  std::vector<uint8_t> mask;
  tagFDATA record;
};

TEST_F(MinutiaeTest, CrossingNumberMarksEndingsAndBifurcations) {
  tee(100, 100);
  detectMinutiae(skeleton.data(), mask.data());
  EXPECT_EQ(skeleton.at(100, 100), kBifurcation);
  EXPECT_EQ(skeleton.at(100, 88), kEnding);
  EXPECT_EQ(skeleton.at(100, 112), kEnding);
  EXPECT_EQ(skeleton.at(112, 100), kEnding);
  EXPECT_EQ(skeleton.at(100, 95), 0);
  EXPECT_EQ(skeleton.count(kEnding) + skeleton.count(kBifurcation), 4);
}

TEST_F(MinutiaeTest, AStraightSegmentGivesTwoEndingsPointingAlongItAwayFromTheirEnds) {
  horizontal(150, 100, 140);
  const std::vector<Found> found = extract();
  ASSERT_EQ(found.size(), 2u);
  EXPECT_FALSE(found[0].bifurcation);
  EXPECT_FALSE(found[1].bifurcation);
  EXPECT_EQ(found[0].col, 100);
  EXPECT_EQ(found[0].row, 150);
  EXPECT_EQ(found[0].direction, 0);  // towards +x
  EXPECT_EQ(found[1].col, 140);
  EXPECT_EQ(found[1].direction, 64);  // half a turn
}

TEST_F(MinutiaeTest, DirectionsFollowTheRidgeDownwards) {
  vertical(100, 60, 120);
  const std::vector<Found> found = extract();
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].row, 60);
  EXPECT_EQ(found[0].direction, 32);  // +y: a quarter turn
  // -y: the 6.2831853 added to negative angles falls just short of a full
  // turn, so three exact quarter turns floor to 95.
  EXPECT_EQ(found[1].direction, 95);
}

TEST_F(MinutiaeTest, TwoEndingsFiveApartBothVanish) {
  horizontal(150, 60, 100);   // ends at column 100 ...
  horizontal(155, 105, 145);  // ... and this one starts 5 rows and 5 columns away
  const std::vector<Found> found = extract();
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].col, 60);
  EXPECT_EQ(found[1].col, 144);
}

TEST_F(MinutiaeTest, AnEndingNextToBackgroundBlocksIsDropped) {
  horizontal(150, 100, 140);
  mask[(150 / 5 - 1) * 60 + 140 / 5 + 1] = 0;  // a background block diagonally beside the right end
  const std::vector<Found> found = extract();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].col, 100);
}

TEST_F(MinutiaeTest, AnEndingNearABifurcationRemovesBoth) {
  tee(100, 100);
  horizontal(104, 106, 140);  // its left end lies 4 rows, 6 columns from the bifurcation
  const std::vector<Found> found = extract();
  for (const Found& f : found) {
    EXPECT_FALSE(f.bifurcation) << "bifurcation at " << f.col << "," << f.row;
    EXPECT_NE(f.col, 106);
  }
}

TEST_F(MinutiaeTest, BifurcationPointsBetweenItsTwoCloserBranches) {
  // A Y opening to the right: stem to the left, two branches right-up and right-down.
  horizontal(150, 110, 130);
  for (int i = 1; i <= 12; ++i) {
    skeleton.set(150 - i, 130 + i);
    skeleton.set(150 + i, 130 + i);
  }
  const std::vector<Found> found = extract();
  ASSERT_FALSE(found.empty());
  EXPECT_TRUE(found[0].bifurcation);
  EXPECT_EQ(found[0].col, 130);
  EXPECT_TRUE(found[0].direction <= 8 || found[0].direction >= 120) << found[0].direction;
}

TEST_F(MinutiaeTest, SeventyCandidatesGiveFiftyBifurcationsFirst) {
  for (int i = 0; i < 10; ++i) tee(30 + 22 * (i / 5), 40 + 45 * (i % 5));  // 10 bifurcations, 30 endings
  for (int i = 0; i < 15; ++i) horizontal(90 + 14 * (i / 3), 30 + 80 * (i % 3), 60 + 80 * (i % 3));  // 30 endings
  const std::vector<Found> found = extract();
  ASSERT_EQ(found.size(), 50u);
  for (size_t k = 0; k < found.size(); ++k) EXPECT_EQ(found[k].bifurcation, k < 10) << "entry " << k;
  EXPECT_LT(found.back().row, 90 + 14 * 4) << "the lowest endings are the ones cut";
}

TEST_F(MinutiaeTest, MinutiaeOutsideBlocksThreeToFiftySixAreDetectedButNotWritten) {
  horizontal(12, 100, 140);  // block row 2
  vertical(287, 100, 140);   // block column 57
  detectMinutiae(skeleton.data(), mask.data());
  suppressMinutiae(skeleton.data(), mask.data());
  EXPECT_EQ(skeleton.at(12, 100), kEnding);
  EXPECT_EQ(skeleton.at(100, 287), kEnding);
  writeMinutiae(skeleton.data(), mask.data(), record);
  EXPECT_EQ(record.count, 0);
}

TEST_F(MinutiaeTest, OnlyCountAndTheFirstThreeBytesOfEachEntryAreWritten) {
  horizontal(150, 100, 140);
  extract();
  ASSERT_EQ(record.count, 2);
  for (size_t i = 0; i < sizeof record.filler; ++i) ASSERT_EQ(record.filler[i], 0x33);
  for (int k = 0; k < 2; ++k) {
    for (uint8_t b : record.minutiae[k].reserved) ASSERT_EQ(b, 0x33);
  }
  EXPECT_EQ(record.minutiae[2].x, 0x33);
}

TEST(DirectionOfVector, QuantisesAngleIn128Steps) {
  EXPECT_EQ(directionOfVector(0, 0), 0);
  EXPECT_EQ(directionOfVector(0, 5), 0);
  EXPECT_EQ(directionOfVector(5, 0), 32);
  EXPECT_EQ(directionOfVector(0, -5), 64);
  EXPECT_EQ(directionOfVector(-5, 0), 95);
  EXPECT_EQ(directionOfVector(-5, 5), 111);
  EXPECT_EQ(directionOfVector(-1, 100), 127);
}

}  // namespace
