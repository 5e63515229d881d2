// The fast family's checks through libRidgecore.so. The fast form and the
// fast matcher arrive with their own work (api/FastBridge.cpp); until then
// the exports that need them stop with "not available".
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
  EXPECT_EQ(lib().VD_FData2FastFData(&record, &fast, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -100);
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

TEST(FastExtractFData, ASuccessfulExtractionNeedsTheFastForm) {
  std::vector<uint8_t> image = goodImage();
  tagFASTFDATA fast;
  ExportCall call;
  EXPECT_EQ(lib().VD_Fast_ExtractFData(image.data(), &fast, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -100);
  EXPECT_EQ(call.text(), "(S_F_EF) Not available: this build has no matcher yet.");
}

TEST(FastCompareFData1to1, NeedsBothFastMarks) {
  tagFASTFDATA good = markedFast(), bad{};
  int score = 3;
  ExportCall call;
  EXPECT_EQ(lib().VD_Fast_CompareFData1to1(&good, &bad, &score, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -11);
  EXPECT_EQ(call.text(), "(S_F_CF1to1) Contaminated or Wrong FASTFDATA!!!");
  EXPECT_EQ(score, 0);
  EXPECT_EQ(lib().VD_Fast_CompareFData1to1(&good, &good, &score, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -100);
}

TEST(FastMakeEnrollUsingFData, FillsAnEmptyTemplateAndStopsAtTheRule) {
  std::vector<uint8_t> t(sizeof(tagFASTENROLL), 0);
  auto* templ = reinterpret_cast<tagFASTENROLL*>(t.data());
  tagFASTFDATA fast = markedFast();
  fast.count = 3;
  ExportCall call;
  ASSERT_EQ(lib().VD_Fast_MakeEnrollUsingFData(&fast, 1, templ, call.message, &call.error), 1);
  EXPECT_EQ(std::memcmp(&templ->slot[1], &fast, sizeof fast), 0);
  EXPECT_EQ(t[15640], 1);
  EXPECT_EQ(t[0], 0);
  EXPECT_EQ(lib().VD_Fast_MakeEnrollUsingFData(&fast, 0, templ, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -100);
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
  EXPECT_EQ(lib().VD_Fast_MakeEnroll(image.data(), 0, templ, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -100);
}

}  // namespace
