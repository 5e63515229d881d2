// VD_MakeEnroll and VD_MakeEnrollUsingFData through libRidgecore.so: the
// checks, the slot contents, the consistency rule's codes, texts and retry
// picture, and the completed template.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "api/RetryPicture.h"
#include "match/MatchFeatureSets.h"
#include "match/MatchResults.h"
#include "tests/ridgecore/ExportCall.h"
#include "tests/ridgecore/RealFingerprints.h"
#include "tests/ridgecore/RidgecoreLibrary.h"
#include "tests/ridgecore_match/HandPlaced.h"

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

// The picture of a refused attempt in a 300 x 300 image: grey, a black
// diagonal, the prompt centred at rows 45..72.
std::vector<uint8_t> retryImage() {
  std::vector<uint8_t> expected(90000, 128);
  for (int i = 0; i < 300; ++i) expected[i * 300 + i] = 0;
  const uint8_t* picture = ridgecore::api::retryPicture();
  for (int r = 0; r < 28; ++r) std::memcpy(&expected[(45 + r) * 300 + 116], picture + r * 68, 68);
  return expected;
}

// The record with every minutia moved down by 4 or 6 pixels in turn: the
// impression it was made from then lies 5 pixels higher (dy = -5, dx = 0).
tagFDATA lowerByFive(const tagFDATA& record) {
  tagFDATA moved = record;
  for (int k = 0; k < moved.count; ++k) moved.minutiae[k].y += k % 2 ? 3 : 2;
  return moved;
}

TEST(MakeEnroll, AShiftOfMinusFiveIsNotMovedFromAnImageButMovedFromARecord) {
  std::vector<uint8_t> picture = image(0), t = zeroTemplate();
  tagFDATA fresh;
  ExportCall call;
  ASSERT_EQ(lib().VD_ExtractFData(picture.data(), &fresh, call.message, &call.error), 1);
  tagFDATA filled = lowerByFive(fresh);
  // In process, the same matcher: the constructed pair does lie at dy = -5 and matches.
  ASSERT_GE(ridgecore::MatchFeatureSets(&filled, &fresh), 7);
  ASSERT_EQ(ridgecore::LastMatchResults().dy, -5);
  ASSERT_EQ(ridgecore::LastMatchResults().dx, 0);

  ASSERT_EQ(lib().VD_MakeEnrollUsingFData(&filled, 0, asTemplate(t), call.message, &call.error), 1);
  EXPECT_EQ(lib().VD_MakeEnroll(picture.data(), 1, asTemplate(t), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -10);
  EXPECT_EQ(call.text(), "(S_ME) No sufficient offset in fingerprint. Please lift your finger & try again!");
  EXPECT_EQ(t[3592], 1);
  EXPECT_EQ(t[3593], 0);
  EXPECT_EQ(std::memcmp(&asTemplate(t)->slot[1], &fresh, 1185), 0) << "the slot keeps the refused impression";
  EXPECT_EQ(picture, retryImage()) << "the caller's image shows the retry picture";

  EXPECT_EQ(lib().VD_MakeEnrollUsingFData(&fresh, 1, asTemplate(t), call.message, &call.error), 1) << call.text();
  EXPECT_EQ(t[3593], 1);
}

TEST(MakeEnrollUsingFData, TheRuleRefusesAnUnmovedImpressionAndAnotherFinger) {
  using namespace ridgecore::synthetic;
  std::vector<uint8_t> t = zeroTemplate();
  tagFDATA first = MakeRecord(handplaced::kTwelve);
  ExportCall call;
  ASSERT_EQ(lib().VD_MakeEnrollUsingFData(&first, 2, asTemplate(t), call.message, &call.error), 1);

  tagFDATA still = MakeRecord(Shifted(handplaced::kTwelve, 2, -2));
  const tagFDATA untouched = still;
  EXPECT_EQ(lib().VD_MakeEnrollUsingFData(&still, 0, asTemplate(t), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -10);
  EXPECT_EQ(call.text(), "(S_MEUF) No sufficient offset in fingerprint. Please lift your finger & try again!");
  EXPECT_EQ(t[3592], 0);
  EXPECT_EQ(std::memcmp(&still, &untouched, sizeof still), 0) << "no retry picture anywhere";

  const handplaced::MinutiaSet star = handplaced::star(3);
  std::vector<uint8_t> other = zeroTemplate();
  tagFDATA stored = MakeRecord(star), far = MakeRecord(Shifted(star, 20, 10));
  ASSERT_EQ(lib().VD_MakeEnrollUsingFData(&stored, 0, asTemplate(other), call.message, &call.error), 1);
  EXPECT_EQ(lib().VD_MakeEnrollUsingFData(&far, 1, asTemplate(other), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -2);
  EXPECT_EQ(call.text(), "(S_MEUF) Please try again!");
  EXPECT_EQ(other[3593], 0);
}

TEST(MakeEnrollUsingFData, ThreeAcceptedFillsCompleteATemplateThatMatches) {
  using namespace ridgecore::synthetic;
  std::vector<uint8_t> t = zeroTemplate();
  ExportCall call;
  const int shifts[3][2] = {{0, 0}, {6, 0}, {-8, 9}};
  for (int slot : {2, 0, 1}) {
    tagFDATA record = MakeRecord(Shifted(handplaced::kTwelve, shifts[slot][0], shifts[slot][1]));
    EXPECT_EQ(t[1], 0) << "no header before the third slot";
    ASSERT_EQ(lib().VD_MakeEnrollUsingFData(&record, slot, asTemplate(t), call.message, &call.error), 1)
        << "slot " << slot << ": " << call.text();
  }
  EXPECT_EQ(t[0], 1);
  EXPECT_EQ(t[1], 0xDA);
  EXPECT_EQ(t[2], 5);
  tagFDATA probe = MakeRecord(Shifted(handplaced::kTwelve, 12, -7));
  int score = 0;
  EXPECT_EQ(lib().VD_CompareEnroll1to1UsingFData(&probe, asTemplate(t), &score, call.message, &call.error), 1);
  EXPECT_EQ(score, 100);
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
