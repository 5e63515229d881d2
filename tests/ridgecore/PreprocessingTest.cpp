// Stages 1 to 6 of the extraction: smoothing, direction field, ridge period
// and quality gate, segmentation, period regularisation, oriented filter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "extract/DirectionField.h"
#include "extract/ExtractFeatures.h"
#include "extract/ExtractionTables.h"
#include "extract/OrientedFilter.h"
#include "extract/PeriodRegularisation.h"
#include "extract/RidgePeriod.h"
#include "extract/Segmentation.h"
#include "extract/Smoothing.h"
#include "tests/ridgecore/SyntheticImages.h"

using namespace ridgecore;
using namespace ridgecoretest;

namespace {

int block(int i, int j) { return i * kGridSide + j; }

TEST(Smoothing, FloorsTheNineNeighbourMeanAndZeroesTwoBorderRings) {
  std::vector<uint8_t> image(kImagePixels, 0), smoothed(kImagePixels, 77);
  image[10 * kSide + 10] = 255;
  image[1 * kSide + 1] = 255;  // reaches S only at (2, 2)
  for (int c = 0; c < kSide; ++c) image[298 * kSide + c] = 200;
  smoothImage(image.data(), smoothed.data());
  EXPECT_EQ(smoothed[9 * kSide + 9], 28);  // 255 / 9 = 28.3
  EXPECT_EQ(smoothed[11 * kSide + 11], 28);
  EXPECT_EQ(smoothed[12 * kSide + 12], 0);
  EXPECT_EQ(smoothed[2 * kSide + 2], 28);
  EXPECT_EQ(smoothed[297 * kSide + 150], 66);  // 3 x 200 / 9
  for (int i = 0; i < kSide; ++i) {
    for (int ring : {0, 1, 298, 299}) {
      ASSERT_EQ(smoothed[ring * kSide + i], 0) << "row " << ring;
      ASSERT_EQ(smoothed[i * kSide + ring], 0) << "column " << ring;
    }
  }
}

TEST(DirectionField, FlatImageGivesIndex32AndTheTwoOuterRingsNone) {
  std::vector<uint8_t> smoothed(kImagePixels, 120), d(kGridBlocks, 0);
  computeDirectionField(smoothed.data(), d.data());
  for (int i = 0; i < kGridSide; ++i) {
    for (int j = 0; j < kGridSide; ++j) {
      const bool outer = i < 2 || j < 2 || i > 57 || j > 57;
      ASSERT_EQ(d[block(i, j)], outer ? 255 : 32) << i << "," << j;
    }
  }
}

TEST(DirectionField, FollowsStraightRidges) {
  for (double degrees : {0.0, 30.0, 90.0, 135.0}) {
    const std::vector<uint8_t> image = ridgePattern(degrees, 10);
    std::vector<uint8_t> smoothed(kImagePixels), d(kGridBlocks);
    smoothImage(image.data(), smoothed.data());
    computeDirectionField(smoothed.data(), d.data());
    const int expected = static_cast<int>(degrees * 64 / 180 + 0.5) % 64;
    const int got = d[block(30, 30)];
    const int difference = std::min((got - expected + 64) % 64, (expected - got + 64) % 64);
    EXPECT_LE(difference, 1) << degrees << " degrees gave index " << got;
  }
}

// A smoothed signature with regular extremes every 8 samples, the first of
// them a valley (or, negated, a peak).
std::vector<int> signature(bool valleyFirst) {
  std::vector<int> s(32);
  for (int n = 0; n < 32; ++n) {
    const int v = (n - 3) % 8 == 0 ? 40 : ((n - 7) % 8 == 0 ? 160 : 100);
    s[n] = valleyFirst ? v : 200 - v;
  }
  return s;
}

TEST(RidgePeriod, ValleySpacingReadsFourMoreThanTheSamePeakSpacing) {
  EXPECT_EQ(periodOfSignature(signature(true).data()), 8 + 1 + 4);
  EXPECT_EQ(periodOfSignature(signature(false).data()), 8 + 1);
}

TEST(RidgePeriod, NeedsAThirdRunOfExtremes) {
  std::vector<int> s(32, 100);
  s[5] = 10;  // two valleys only
  s[15] = 10;
  EXPECT_EQ(periodOfSignature(s.data()), 0);
  s[6] = 10;  // consecutive positions extend the first run
  s[25] = 10;
  EXPECT_EQ(periodOfSignature(s.data()), static_cast<int>((15 + 15 - 5 - 6) * 0.5 + 1.0) + 4);
}

TEST(QualityGate, UniformGreyIsAmbientLightAndLeavesTheRecordAlone) {
  std::vector<uint8_t> image(kImagePixels, 128);
  tagFDATA record;
  std::memset(&record, 0x5A, sizeof record);
  char message[256] = "";
  EXPECT_EQ(extractFeatures(image.data(), record, message), kAmbientLight);
  EXPECT_STREQ(message, "Ambient Light!!!");
  for (size_t i = 0; i < sizeof record; ++i) ASSERT_EQ(reinterpret_cast<uint8_t*>(&record)[i], 0x5A);
}

TEST(QualityGate, DarkFlatImageFailsEvenWithFaintRidges) {
  std::vector<uint8_t> image = ridgePattern(45, 10, 6);
  for (uint8_t& p : image) p = static_cast<uint8_t>(p - 90);  // mean 38, contrast below 10
  tagFDATA record{};
  char message[256] = "";
  EXPECT_EQ(extractFeatures(image.data(), record, message), kAmbientLight);
}

TEST(QualityGate, ClearRidgesPass) {
  const std::vector<uint8_t> image = ridgePattern(20, 10);
  tagFDATA record{};
  char message[256] = "untouched";
  EXPECT_EQ(extractFeatures(image.data(), record, message), kExtracted);
  EXPECT_STREQ(message, "untouched");
}

TEST(Segmentation, AreaAboveTheLimitIsErodedByTheAreaRule) {
  // Periods over blocks 4..55: 2704 blocks, eroded once (u 2704 -> 2074), then
  // the last erosion leaves a rim ring inside.
  std::vector<uint8_t> d(kGridBlocks, 10), p(kGridBlocks, 0), k(kGridBlocks), mask(kGridBlocks, 200);
  for (int i = 4; i <= 55; ++i) {
    for (int j = 4; j <= 55; ++j) p[block(i, j)] = 10;
  }
  segmentFingerArea(d.data(), p.data(), k.data(), mask.data());
  for (int i = 0; i < kGridSide; ++i) {
    for (int j = 0; j < kGridSide; ++j) {
      const int ring = std::min(std::min(i, j), std::min(59 - i, 59 - j));
      const int b = block(i, j);
      if (ring < 5) {
        ASSERT_EQ(d[b], 255) << i << "," << j;
        ASSERT_EQ(mask[b], 0);
      } else if (ring == 5) {
        ASSERT_EQ(d[b], 10 + 64) << i << "," << j;
        ASSERT_EQ(mask[b], 128);
      } else {
        ASSERT_EQ(d[b], 10) << i << "," << j;
        ASSERT_EQ(mask[b], 200) << "interior blocks keep their contrast";
      }
    }
  }
}

TEST(Segmentation, KeepsTheLargestRegionAndFillsItsHoles) {
  std::vector<uint8_t> d(kGridBlocks, 5), p(kGridBlocks, 0), k(kGridBlocks), mask(kGridBlocks, 99);
  for (int i = 10; i <= 40; ++i) {
    for (int j = 10; j <= 40; ++j) p[block(i, j)] = 12;
  }
  for (int i = 20; i <= 24; ++i) {
    for (int j = 20; j <= 24; ++j) p[block(i, j)] = 0;  // a hole, also after erode/dilate
  }
  for (int i = 45; i <= 52; ++i) {
    for (int j = 45; j <= 52; ++j) p[block(i, j)] = 12;  // a smaller second region
  }
  segmentFingerArea(d.data(), p.data(), k.data(), mask.data());
  EXPECT_EQ(d[block(22, 22)], 5) << "hole filled";
  EXPECT_EQ(d[block(48, 48)], 255) << "smaller region dropped";
  EXPECT_EQ(d[block(10, 25)], 5 + 64) << "rim";
  EXPECT_EQ(mask[block(10, 25)], 128);
  EXPECT_EQ(mask[block(48, 48)], 0);
}

TEST(PeriodRegularisation, OutliersTakeTheNeighbourMeanAndGapsFill) {
  std::vector<uint8_t> d(kGridBlocks, 255), p(kGridBlocks, 0);
  for (int i = 10; i <= 20; ++i) {
    for (int j = 10; j <= 20; ++j) {
      d[block(i, j)] = 3;
      p[block(i, j)] = 10;
    }
  }
  p[block(15, 15)] = 20;  // outlier
  p[block(12, 12)] = 0;   // gap
  p[block(5, 5)] = 9;     // no direction: cleared
  regularisePeriods(d.data(), p.data());
  EXPECT_EQ(p[block(15, 15)], 10);
  EXPECT_EQ(p[block(12, 12)], 10);
  EXPECT_EQ(p[block(5, 5)], 0);
  EXPECT_EQ(p[block(10, 10)], 10) << "smoothing keeps a flat field flat";
}

TEST(OrientedFilter, KeepsTheSmoothedImageOutsideTheFingerAndStrengthensRidges) {
  const std::vector<uint8_t> image = ridgePattern(0, 12, 30);
  std::vector<uint8_t> smoothed(kImagePixels), filtered(kImagePixels);
  smoothImage(image.data(), smoothed.data());
  std::vector<uint8_t> d(kGridBlocks, 255), p(kGridBlocks, 12);
  for (int i = 10; i <= 40; ++i) {
    for (int j = 10; j <= 40; ++j) d[block(i, j)] = 0;
  }
  filterAlongRidges(extractionTables(), smoothed.data(), d.data(), p.data(), filtered.data());
  for (int c = 0; c < kSide; ++c) ASSERT_EQ(filtered[20 * kSide + c], smoothed[20 * kSide + c]);
  int smoothedSpread = 0, filteredSpread = 0;
  for (int r = 100; r < 112; ++r) {
    smoothedSpread = std::max(smoothedSpread, std::abs(smoothed[r * kSide + 120] - 128));
    filteredSpread = std::max(filteredSpread, std::abs(filtered[r * kSide + 120] - 128));
  }
  EXPECT_GT(filteredSpread, smoothedSpread);
}

// The filter runs on merged taps in vector lanes; it must give exactly the
// sum over the 187 taps as they are defined.
TEST(OrientedFilter, GivesExactlyTheSumOverEveryTap) {
  const ExtractionTables& t = extractionTables();
  const std::vector<uint8_t> image = ridgePattern(33, 9, 70);
  std::vector<uint8_t> smoothed(kImagePixels), filtered(kImagePixels);
  smoothImage(image.data(), smoothed.data());
  std::vector<uint8_t> d(kGridBlocks, 255), p(kGridBlocks, 0);
  for (int i = 3; i <= 56; ++i) {
    for (int j = 3; j <= 56; ++j) {
      d[block(i, j)] = static_cast<uint8_t>((i * 7 + j * 3) % 128);  // every direction, interior and rim
      p[block(i, j)] = static_cast<uint8_t>(5 + (i + j) % 15);       // every kernel, clamped ones too
    }
  }
  for (FilterGain gain : {FilterGain::KernelSum, FilterGain::AbsoluteKernelSum}) {
    filterAlongRidges(t, smoothed.data(), d.data(), p.data(), filtered.data(), gain);
    for (int r = 15; r <= 284; ++r) {
      for (int c = 15; c <= 284; ++c) {
        const int b = block(r / 5, c / 5);
        const int kernel = std::clamp(p[b] - 7, 0, 10);
        int sum = 0;
        for (int tap = 0; tap < ExtractionTables::kTaps; ++tap) {
          sum += t.filterWeight[kernel][tap] * smoothed[r * kSide + c + t.filterOffset[d[b] & 63][tap]];
        }
        const int divisor = gain == FilterGain::KernelSum ? t.filterSum[kernel] : std::abs(t.filterSum[kernel]);
        ASSERT_EQ(filtered[r * kSide + c], std::clamp(sum / divisor, 0, 255)) << r << "," << c;
      }
    }
  }
}

// Period 9 has a negative weight sum: as written its blocks come out as the
// negative image. The two other normalisations keep bright ridges bright,
// and the tuned gain keeps their amplitude around 128.
TEST(OrientedFilter, PeriodNineKeepsItsPolarityOnlyUnderTheSoundGains) {
  const ExtractionTables& t = extractionTables();
  const std::vector<uint8_t> image = ridgePattern(0, 9, 40);
  std::vector<uint8_t> smoothed(kImagePixels), filtered(kImagePixels);
  smoothImage(image.data(), smoothed.data());
  std::vector<uint8_t> d(kGridBlocks, 255), p(kGridBlocks, 9);
  for (int i = 10; i <= 40; ++i) {
    for (int j = 10; j <= 40; ++j) d[block(i, j)] = 0;
  }
  auto agreement = [&](FilterGain gain, int& spread) {
    filterAlongRidges(t, smoothed.data(), d.data(), p.data(), filtered.data(), gain);
    long sum = 0;
    spread = 0;
    for (int r = 80; r < 180; ++r) {
      for (int c = 80; c < 180; ++c) {
        sum += long(filtered[r * kSide + c] - 128) * (smoothed[r * kSide + c] - 128);
        spread = std::max(spread, std::abs(filtered[r * kSide + c] - 128));
      }
    }
    return sum;
  };
  int spread = 0;
  EXPECT_LT(agreement(FilterGain::KernelSum, spread), 0);
  EXPECT_GT(agreement(FilterGain::AbsoluteKernelSum, spread), 0);
  EXPECT_GT(agreement(FilterGain::ZeroMeanTunedGain, spread), 0);
  EXPECT_GT(spread, 25);
  EXPECT_LT(spread, 55);

  for (int k = 0; k < ExtractionTables::kPeriods; ++k) {
    EXPECT_GT(t.tunedGain[k], 0) << "period " << 7 + k;
    for (int dir = 0; dir < 64; ++dir) {
      int sum = 0;
      for (int pair = 0; pair < t.mergedCount[dir] / 2; ++pair) {
        const int32_t w = t.zeroMeanPairWeight[k][dir][pair];
        sum += int16_t(w & 0xFFFF) + int16_t(uint32_t(w) >> 16);
      }
      ASSERT_EQ(sum, 0) << "period " << 7 + k << ", direction " << dir;
    }
  }
}

}  // namespace
