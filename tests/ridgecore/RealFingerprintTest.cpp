// VD_ExtractFData over every real image, in the sensor's polarity.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/ridgecore/ExportCall.h"
#include "tests/ridgecore/RealFingerprints.h"
#include "tests/ridgecore/RidgecoreLibrary.h"

using namespace ridgecoretest;

namespace {

class RealFingerprints : public ::testing::TestWithParam<const char*> {};

TEST_P(RealFingerprints, ExtractOrFailOnlyThroughTheQualityGate) {
  const std::vector<RealImage> images = realImages(GetParam());
  ASSERT_EQ(images.size(), 80u) << "the sample set is incomplete";
  int extracted = 0, fewerThanTen = 0;
  std::vector<int> counts;
  std::string sparse;
  for (const RealImage& image : images) {
    SCOPED_TRACE(image.name);
    const std::vector<uint8_t> pixels = sensorImage(image);
    tagFDATA first, second;
    std::memset(&first, 0x11, sizeof first);
    std::memset(&second, 0xEE, sizeof second);
    ExportCall call;
    const int result = lib().VD_ExtractFData(pixels.data(), &first, call.message, &call.error);
    if (result == 0) {
      EXPECT_EQ(call.error, -12) << call.text();
      continue;
    }
    ++extracted;
    EXPECT_EQ(call.error, 0);
    EXPECT_GE(first.count, 1);
    EXPECT_LE(first.count, 50);
    for (int k = 0; k < first.count; ++k) {
      // Pixels 15..284 (blocks 3..56): never in the outer block rings.
      EXPECT_GE(first.minutiae[k].x, 7);
      EXPECT_LE(first.minutiae[k].x, 142);
      EXPECT_GE(first.minutiae[k].y, 7);
      EXPECT_LE(first.minutiae[k].y, 142);
    }
    counts.push_back(first.count);
    if (first.count < 10) {
      ++fewerThanTen;
      sparse += " " + image.name + ":" + std::to_string(first.count);
    }
    ASSERT_EQ(lib().VD_ExtractFData(pixels.data(), &second, call.message, &call.error), 1);
    EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0) << "a second extraction differs";
  }
  // Most impressions pass the gate. Clean impressions of a small area (a
  // third of the 2000 set as the sensor sees it) keep fewer than ten minutiae
  // after suppression; a typical impression keeps well over ten, and a fault
  // that loses or invents minutiae moves the median.
  EXPECT_GE(extracted, 55);
  EXPECT_LE(fewerThanTen * 5, extracted * 2) << sparse;
  std::sort(counts.begin(), counts.end());
  ASSERT_FALSE(counts.empty());
  EXPECT_GE(counts[counts.size() / 2], 12);
  EXPECT_LE(counts[counts.size() / 2], 35);
}

INSTANTIATE_TEST_SUITE_P(Sets, RealFingerprints, ::testing::Values("fvc2000_db1_b", "fvc2002_db1_b"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param).substr(0, 7);
                         });

}  // namespace
