// The optical correction on its own: the geometry's fixed points, and the
// precomputed tables against the correction that computes every position.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "ridgeport/FingerDetector.h"
#include "ridgeport/FrameCorrector.h"
#include "ridgeport/OpticalGeometry.h"

namespace ridgeport {
namespace {

using namespace optics;

TEST(OpticalGeometry, RowMapRunsFromTheFirstToTheLastRowWithoutGoingBack) {
  EXPECT_NEAR(rowSource(0), 0.002, 0.0005);
  EXPECT_NEAR(rowSource(299), 298.99, 0.005);
  for (int i = 1; i < kFrameHeight; ++i) {
    EXPECT_GT(rowSource(i), rowSource(i - 1)) << i;
    EXPECT_LT(rowSource(i) - rowSource(i - 1), 2.0) << i;
  }
}

TEST(OpticalGeometry, CentreColumnIsCopiedAndTheFieldWidensDownwards) {
  for (int y : {0, 150, 299}) {
    const ColumnSample centre = columnSample(y, kCentreColumn, columnSlope(0));
    EXPECT_TRUE(centre.valid);
    EXPECT_EQ(centre.column, kCentreColumn);
    EXPECT_EQ(centre.fraction, 0.0);
  }
  // Row 0: x = 192 - 1100 tan(c a) - 0.28 c reaches 0 at c = 117 (column 75).
  EXPECT_TRUE(producesPixel(0, 75));
  EXPECT_FALSE(producesPixel(0, 74));
  int width = 0;
  for (int y = 0; y < kFrameHeight; ++y) {
    int produced = 0;
    for (int m = 0; m < kFrameWidth; ++m) produced += producesPixel(y, m);
    EXPECT_GE(produced, width) << y;
    width = produced;
  }
  // The bottom row covers the whole image and more.
  for (int m = kWholeLeft; m < kWholeLeft + kImageSize; ++m) EXPECT_TRUE(producesPixel(299, m)) << m;
}

std::vector<std::uint8_t> randomFrame(unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> frame(kFrameSize);
  for (auto& p : frame) p = static_cast<std::uint8_t>(random());
  return frame;
}

TEST(FrameCorrector, TablesGiveBitIdenticalFramesToTheDirectCorrection) {
  std::vector<std::vector<std::uint8_t>> frames = {std::vector<std::uint8_t>(kFrameSize, 0),
                                                   std::vector<std::uint8_t>(kFrameSize, 255)};
  for (unsigned seed = 1; seed <= 4; ++seed) frames.push_back(randomFrame(seed));
  std::vector<std::uint8_t> stripes(kFrameSize);
  for (int p = 0; p < kFrameSize; ++p) stripes[p] = static_cast<std::uint8_t>((p % kFrameWidth) % 9 < 4 ? 30 : 220);
  frames.push_back(stripes);
  for (const auto& original : frames) {
    auto tables = original, direct = original;
    FrameCorrector::shared().correct(tables.data());
    correctFrameDirect(direct.data());
    ASSERT_EQ(tables, direct);
  }
}

TEST(FrameCorrector, SampleJustBelowTheRightEdgeReadsTheLastColumn) {
  // Find a pixel whose right-hand sample is column 383 (x just below 192).
  int row = -1, column = -1;
  for (int y = 0; y < kFrameHeight && row < 0; ++y)
    for (int m = kCentreColumn + 1; m < kFrameWidth; ++m)
      if (ColumnSample s = columnSample(y, m, columnSlope(m - kCentreColumn)); s.valid && s.column == 383) {
        row = y;
        column = m;
        break;
      }
  ASSERT_GE(row, 0) << "no sample reaches column 383";
  // A frame whose last column is bright: the pixel blends column 383 with itself.
  std::vector<std::uint8_t> frame(kFrameSize, 0);
  for (int y = 0; y < kFrameHeight; ++y) frame[y * kFrameWidth + 383] = 240;
  FrameCorrector::shared().correct(frame.data());
  EXPECT_GE(frame[row * kFrameWidth + column], 239);
}

TEST(FingerDetector, BlockVarianceIsTruncated) {
  std::vector<std::uint8_t> block(100, 9);
  EXPECT_EQ(FingerDetector::blockVariance(block.data(), 10), 0);
  for (int i = 50; i < 100; ++i) block[i] = 58;  // halves 9 and 58: 600.25
  EXPECT_EQ(FingerDetector::blockVariance(block.data(), 10), 600);
}

}  // namespace
}  // namespace ridgeport
