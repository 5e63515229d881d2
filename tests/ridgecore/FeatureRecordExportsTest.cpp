// VD_ExtractFData and VD_CompareFData1to1 through libRidgecore.so.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/ridgecore/ExportCall.h"
#include "tests/ridgecore/RealFingerprints.h"
#include "tests/ridgecore/RidgecoreLibrary.h"

using namespace ridgecoretest;

namespace {

const std::vector<uint8_t>& goodImage() {
  static const std::vector<uint8_t> image = sensorImage(realImages("fvc2002_db1_b").at(0));
  return image;
}

TEST(ExtractFData, WritesFillerMinutiaeAndTheMark) {
  const std::vector<uint8_t>& image = goodImage();
  tagFDATA record;
  std::memset(&record, 0xAB, sizeof record);
  ExportCall call;
  ASSERT_EQ(lib().VD_ExtractFData(image.data(), &record, call.message, &call.error), 1);
  EXPECT_EQ(call.text(), "Veradynics");
  EXPECT_EQ(call.error, 0);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
  ASSERT_GE(record.count, 1);
  ASSERT_LE(record.count, 50);
  EXPECT_EQ(std::memcmp(bytes, image.data() + 45000, 30), 0);
  for (int k = 0; k < record.count; ++k) {
    EXPECT_LT(record.minutiae[k].x, 150);
    EXPECT_LT(record.minutiae[k].y, 150);
    EXPECT_EQ(std::memcmp(record.minutiae[k].reserved, image.data() + 45000 + 34 + 23 * k, 20), 0) << k;
  }
  const int end = 31 + 23 * record.count;
  EXPECT_EQ(std::memcmp(bytes + end, image.data() + 45000 + end, 1185 - end), 0);
  EXPECT_EQ(std::memcmp(bytes + 1185, "1040DV", 6), 0);
  EXPECT_EQ(bytes[1191], image[46191]);
}

TEST(ExtractFData, SameImageSameBytes) {
  tagFDATA first, second;
  std::memset(&first, 0x00, sizeof first);
  std::memset(&second, 0xFF, sizeof second);
  ExportCall call;
  lib().VD_ExtractFData(goodImage().data(), &first, call.message, &call.error);
  lib().VD_ExtractFData(goodImage().data(), &second, call.message, &call.error);
  EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0);
}

TEST(ExtractFData, FlatImageIsPoorQualityAndGetsNoMark) {
  const std::vector<uint8_t> image(90000, 128);
  tagFDATA record;
  std::memset(&record, 0xAB, sizeof record);
  ExportCall call;
  EXPECT_EQ(lib().VD_ExtractFData(image.data(), &record, call.message, &call.error), 0);
  EXPECT_EQ(call.text(), "(S_EF) The quality of fingerprint image is not good!");
  EXPECT_EQ(call.error, -12);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
  for (size_t i = 0; i < sizeof record; ++i) ASSERT_EQ(bytes[i], 128) << "filler everywhere, byte " << i;
}

TEST(ExtractFData, NullArgumentsAreWrongParam) {
  tagFDATA record{};
  ExportCall call;
  EXPECT_EQ(lib().VD_ExtractFData(nullptr, &record, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -1);
  EXPECT_EQ(call.text(), "(S_EF) Wrong param : pImage is NULL.");
  EXPECT_EQ(lib().VD_ExtractFData(goodImage().data(), nullptr, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -1);
  // Without message and error buffers the call still fails cleanly.
  EXPECT_EQ(lib().VD_ExtractFData(nullptr, &record, nullptr, nullptr), 0);
}

TEST(CompareFData1to1, RefusesRecordsWithoutTheMark) {
  tagFDATA good, spoilt;
  ExportCall call;
  ASSERT_EQ(lib().VD_ExtractFData(goodImage().data(), &good, call.message, &call.error), 1);
  spoilt = good;
  reinterpret_cast<uint8_t*>(&spoilt)[1190] = 'X';
  int score = 55;
  EXPECT_EQ(lib().VD_CompareFData1to1(&good, &spoilt, &score, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -11);
  EXPECT_EQ(call.text(), "(S_CF1to1) Contaminated or Wrong FDATA!!!");
  EXPECT_EQ(lib().VD_CompareFData1to1(&spoilt, &good, &score, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -11);
  EXPECT_EQ(score, 0);
}

TEST(CompareFData1to1, ARealRecordMatchesItself) {
  tagFDATA good;
  ExportCall call;
  ASSERT_EQ(lib().VD_ExtractFData(goodImage().data(), &good, call.message, &call.error), 1);
  int score = 55;
  EXPECT_EQ(lib().VD_CompareFData1to1(&good, &good, &score, call.message, &call.error), 1);
  EXPECT_EQ(call.error, 0);
  EXPECT_EQ(call.text(), "Veradynics");
  EXPECT_EQ(score, 100);
}

}  // namespace
