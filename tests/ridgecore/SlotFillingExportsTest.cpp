// VD_MakeEnroll and VD_MakeEnrollUsingFData through libRidgecore.so, up to
// the consistency rule (which the matcher brings).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/ridgecore/ExportCall.h"
#include "tests/ridgecore/RealFingerprints.h"
#include "tests/ridgecore/RidgecoreLibrary.h"

using namespace ridgecoretest;

namespace {

std::vector<uint8_t> image(int index) { return sensorImage(realImages("fvc2002_db1_b").at(index)); }

std::vector<uint8_t> zeroTemplate() { return std::vector<uint8_t>(sizeof(tagENROLL), 0); }
tagENROLL* asTemplate(std::vector<uint8_t>& t) { return reinterpret_cast<tagENROLL*>(t.data()); }

TEST(MakeEnroll, SelectionOutsideZeroToTwo) {
  std::vector<uint8_t> picture = image(0), t = zeroTemplate();
  for (int selection : {-1, 3}) {
    ExportCall call;
    EXPECT_EQ(lib().VD_MakeEnroll(picture.data(), selection, asTemplate(t), call.message, &call.error), 0);
    EXPECT_EQ(call.error, -1);
    EXPECT_EQ(call.text(), "(S_ME) Wrong param :  0 <= iSelection <= 2");
  }
  tagFDATA record{};
  ExportCall call;
  EXPECT_EQ(lib().VD_MakeEnrollUsingFData(&record, 7, asTemplate(t), call.message, &call.error), 0);
  EXPECT_EQ(call.text(), "(S_MEUF) Wrong param :  0 <= iSelection <= 2");
  EXPECT_EQ(t, zeroTemplate());
}

TEST(MakeEnroll, TemplateMustBeZeroedInTheReservedBytes) {
  std::vector<uint8_t> picture = image(0), t = zeroTemplate();
  t[3601] = 1;
  ExportCall call;
  EXPECT_EQ(lib().VD_MakeEnroll(picture.data(), 0, asTemplate(t), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -1);
  EXPECT_EQ(call.text(), "(S_ME) Wrong param : ENROLL structure should be initialized by 0 value");

  // Byte 3602 is checked by the record fill only.
  t[3601] = 0;
  t[3602] = 1;
  EXPECT_EQ(lib().VD_MakeEnroll(picture.data(), 1, asTemplate(t), call.message, &call.error), 1) << call.text();
  tagFDATA record;
  ASSERT_EQ(lib().VD_ExtractFData(picture.data(), &record, call.message, &call.error), 1);
  EXPECT_EQ(lib().VD_MakeEnrollUsingFData(&record, 0, asTemplate(t), call.message, &call.error), 0);
  EXPECT_EQ(call.text(), "(S_MEUF) Wrong param : ENROLL structure should be initialized by 0 value");
}

TEST(MakeEnroll, FirstSlotFillsFromTheImageWithoutMarkOrHeader) {
  std::vector<uint8_t> picture = image(0), t = zeroTemplate();
  ExportCall call;
  ASSERT_EQ(lib().VD_MakeEnroll(picture.data(), 2, asTemplate(t), call.message, &call.error), 1);
  EXPECT_EQ(call.text(), "Veradynics");
  EXPECT_EQ(call.error, 0);
  EXPECT_EQ(t[3594], 1);
  EXPECT_EQ(t[3592], 0);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(t[i], 0) << "header byte " << i;
  const tagFDATA& slot = asTemplate(t)->slot[2];
  tagFDATA extracted;
  ASSERT_EQ(lib().VD_ExtractFData(picture.data(), &extracted, call.message, &call.error), 1);
  EXPECT_EQ(std::memcmp(&slot, &extracted, 1185), 0) << "the same filler and minutiae as VD_ExtractFData";
  EXPECT_EQ(std::memcmp(slot.mark, picture.data() + 45000 + 1185, 6), 0) << "filler where the mark would be";
}

TEST(MakeEnroll, PoorImageLeavesTheFlagAlone) {
  std::vector<uint8_t> grey(90000, 128), t = zeroTemplate();
  ExportCall call;
  EXPECT_EQ(lib().VD_MakeEnroll(grey.data(), 1, asTemplate(t), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -12);
  EXPECT_EQ(call.text(), "(S_ME) The quality of fingerprint image is not good!");
  EXPECT_EQ(t[3593], 0);
  EXPECT_EQ(lib().VD_MakeEnroll(nullptr, 1, asTemplate(t), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -1);
}

TEST(MakeEnroll, ASecondSlotNeedsTheConsistencyRule) {
  // Until the matcher is wired in (api/MatcherBridge.cpp) the rule is not available.
  std::vector<uint8_t> first = image(0), second = image(1), t = zeroTemplate();
  ExportCall call;
  ASSERT_EQ(lib().VD_MakeEnroll(first.data(), 0, asTemplate(t), call.message, &call.error), 1);
  const std::vector<uint8_t> untouched = second;
  EXPECT_EQ(lib().VD_MakeEnroll(second.data(), 1, asTemplate(t), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -100);
  EXPECT_EQ(call.text(), "(S_ME) Not available: this build has no matcher yet.");
  EXPECT_EQ(t[3592], 1);
  EXPECT_EQ(t[3593], 0);
  EXPECT_EQ(second, untouched) << "no retry picture without a verdict";
  // Refilling the only filled slot needs no rule.
  EXPECT_EQ(lib().VD_MakeEnroll(second.data(), 0, asTemplate(t), call.message, &call.error), 1);
}

TEST(MakeEnrollUsingFData, CopiesAValidRecordWhole) {
  std::vector<uint8_t> picture = image(2), t = zeroTemplate();
  tagFDATA record;
  ExportCall call;
  ASSERT_EQ(lib().VD_ExtractFData(picture.data(), &record, call.message, &call.error), 1);
  ASSERT_EQ(lib().VD_MakeEnrollUsingFData(&record, 1, asTemplate(t), call.message, &call.error), 1);
  EXPECT_EQ(std::memcmp(&asTemplate(t)->slot[1], &record, sizeof record), 0);
  EXPECT_EQ(t[3593], 1);
}

TEST(MakeEnrollUsingFData, RefusesARecordWithoutItsMark) {
  std::vector<uint8_t> t = zeroTemplate();
  tagFDATA record{};
  ExportCall call;
  EXPECT_EQ(lib().VD_MakeEnrollUsingFData(&record, 1, asTemplate(t), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -11);
  EXPECT_EQ(call.text(), "(S_MEUF) Contaminated or Wrong FDATA!!!");
  EXPECT_EQ(lib().VD_MakeEnrollUsingFData(nullptr, 1, asTemplate(t), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -1);
  EXPECT_EQ(t, zeroTemplate());
}

}  // namespace
