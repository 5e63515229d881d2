// The fast family's checks through libRidgecore.so; the fast form and the
// fast matcher behind them are tested in tests/ridgecore_fast.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/ridgecore/ExportCall.h"
#include "tests/ridgecore/RealFingerprints.h"
#include "tests/ridgecore/RidgecoreLibrary.h"

using namespace ridgecoretest;

namespace {

std::vector<uint8_t> goodImage() { return sensorImage(realImages("fvc2002_db1_b").at(0)); }

tagFASTFDATA markedFast() {
  tagFASTFDATA f;
  std::memset(&f, 0, sizeof f);
  std::memcpy(f.mark, "1040TF", 6);
  return f;
}

TEST(FData2FastFData, NeedsBothMarks) {
  std::vector<uint8_t> image = goodImage();
  tagFDATA record{};
  tagFASTFDATA fast = markedFast(), unmarked{};
  ExportCall call;
  EXPECT_EQ(lib().VD_FData2FastFData(&record, &fast, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -11);
  EXPECT_EQ(call.text(), "(S_F2FF) Contaminated or Wrong FDATA!!!");
  ASSERT_EQ(lib().VD_ExtractFData(image.data(), &record, call.message, &call.error), 1);
  EXPECT_EQ(lib().VD_FData2FastFData(&record, &unmarked, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -11);
  EXPECT_EQ(call.text(), "(S_F2FF) Contaminated or Wrong FASTFDATA!!!");
  EXPECT_EQ(lib().VD_FData2FastFData(&record, &fast, call.message, &call.error), 1);
  EXPECT_EQ(call.error, 0);
  EXPECT_EQ(std::memcmp(fast.mark, "1040TF", 6), 0);
}

TEST(FastExtractFData, AFailedExtractionLeavesTheImageBytes) {
  std::vector<uint8_t> image(90000);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(128 + (i % 2));  // flat
  tagFASTFDATA fast;
  std::memset(&fast, 0, sizeof fast);
  ExportCall call;
  EXPECT_EQ(lib().VD_Fast_ExtractFData(image.data(), &fast, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -12);
  EXPECT_EQ(call.text(), "(S_F_EF) The quality of fingerprint image is not good!");
  EXPECT_EQ(std::memcmp(&fast, image.data() + 45000, sizeof fast), 0);
  EXPECT_EQ(lib().VD_Fast_ExtractFData(nullptr, &fast, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -1);
}

TEST(FastExtractFData, ASuccessfulExtractionWritesTheFastForm) {
  std::vector<uint8_t> image = goodImage();
  tagFASTFDATA fast;
  ExportCall call;
  EXPECT_EQ(lib().VD_Fast_ExtractFData(image.data(), &fast, call.message, &call.error), 1);
  EXPECT_EQ(call.error, 0);
  EXPECT_EQ(call.text(), "Veradynics");
  EXPECT_GT(fast.count, 0);
  EXPECT_EQ(std::memcmp(fast.mark, "1040TF", 6), 0);
}

TEST(FastCompareFData1to1, NeedsBothFastMarks) {
  tagFASTFDATA good = markedFast(), bad{};
  int score = 3;
  ExportCall call;
  EXPECT_EQ(lib().VD_Fast_CompareFData1to1(&good, &bad, &score, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -11);
  EXPECT_EQ(call.text(), "(S_F_CF1to1) Contaminated or Wrong FASTFDATA!!!");
  EXPECT_EQ(score, 0);
  EXPECT_EQ(lib().VD_Fast_CompareFData1to1(&good, &good, &score, call.message, &call.error), 1);
  EXPECT_EQ(call.error, 0);
  EXPECT_EQ(score, 0);  // no minutiae, no pairs
}

TEST(FastMakeEnrollUsingFData, FillsAnEmptyTemplateAndAppliesTheRule) {
  std::vector<uint8_t> t(sizeof(tagFASTENROLL), 0);
  auto* templ = reinterpret_cast<tagFASTENROLL*>(t.data());
  tagFASTFDATA fast = markedFast();
  fast.count = 3;
  ExportCall call;
  ASSERT_EQ(lib().VD_Fast_MakeEnrollUsingFData(&fast, 1, templ, call.message, &call.error), 1);
  EXPECT_EQ(std::memcmp(&templ->slot[1], &fast, sizeof fast), 0);
  EXPECT_EQ(t[15640], 1);
  EXPECT_EQ(t[0], 0);
  // Three minutiae pair with nothing: refused, as not the same finger or as
  // not moved, by the translation an earlier comparison left.
  EXPECT_EQ(lib().VD_Fast_MakeEnrollUsingFData(&fast, 0, templ, call.message, &call.error), 0);
  EXPECT_TRUE(call.error == -2 || call.error == -10) << call.error;
  EXPECT_EQ(t[15639], 0);
  tagFASTFDATA unmarked{};
  EXPECT_EQ(lib().VD_Fast_MakeEnrollUsingFData(&unmarked, 2, templ, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -11);
  EXPECT_EQ(call.text(), "(S_F_MEUF) Contaminated or Wrong FASTFDATA!!!");
}

TEST(FastMakeEnroll, ChecksSelectionAndReservedBytes) {
  std::vector<uint8_t> image = goodImage(), t(sizeof(tagFASTENROLL), 0);
  auto* templ = reinterpret_cast<tagFASTENROLL*>(t.data());
  ExportCall call;
  EXPECT_EQ(lib().VD_Fast_MakeEnroll(image.data(), 3, templ, call.message, &call.error), 0);
  EXPECT_EQ(call.text(), "(S_F_ME) Wrong param :  0 <= iSelection <= 2");
  t[15645] = 1;
  EXPECT_EQ(lib().VD_Fast_MakeEnroll(image.data(), 0, templ, call.message, &call.error), 0);
  EXPECT_EQ(call.text(), "(S_F_ME) Wrong param : ENROLL structure should be initialized by 0 value");
  t[15645] = 0;
  EXPECT_EQ(lib().VD_Fast_MakeEnroll(image.data(), 0, templ, call.message, &call.error), 1);
  EXPECT_EQ(call.error, 0);
  EXPECT_EQ(t[15639], 1);
}

}  // namespace
