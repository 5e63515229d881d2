// The fast exports through libRidgecore.so, as the program calls them: the
// fast form, the two match rules, slot filling with the fast rule, and the
// search over caller records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fast/FastForm.h"
#include "tests/ridgecore/ExportCall.h"
#include "tests/ridgecore/RealFingerprints.h"
#include "tests/ridgecore/RidgecoreLibrary.h"
#include "tests/ridgecore_fast/FastScenes.h"

using namespace ridgecoretest;
using namespace fastscenes;
using ridgecore::synthetic::Random;
using ridgecore::synthetic::RandomMinutiae;
using ridgecore::synthetic::Shifted;

namespace {

tagFDATA extracted(const RealImage& image) {
  std::vector<uint8_t> pixels = sensorImage(image);
  tagFDATA record;
  ExportCall call;
  EXPECT_EQ(lib().VD_ExtractFData(pixels.data(), &record, call.message, &call.error), 1) << call.text();
  return record;
}

tagFASTFDATA fingerAt(int dx, int dy) {
  Random random(404);
  return fastRecord(Shifted(RandomMinutiae(random, 36), dx, dy));
}

tagFASTFDATA otherFinger(uint64_t seed) {
  Random random(seed);
  return fastRecord(RandomMinutiae(random, 34));
}

std::vector<uint8_t> emptyTemplate() { return std::vector<uint8_t>(sizeof(tagFASTENROLL), 0); }
tagFASTENROLL* asTemplate(std::vector<uint8_t>& t) { return reinterpret_cast<tagFASTENROLL*>(t.data()); }

// A completed template of any three records, as a caller's store may hold
// one (the enrollment rule would refuse different fingers).
std::vector<uint8_t> storedTemplate(const tagFASTFDATA& s0, const tagFASTFDATA& s1, const tagFASTFDATA& s2) {
  std::vector<uint8_t> t = emptyTemplate();
  tagFASTENROLL* e = asTemplate(t);
  e->slot[0] = s0;
  e->slot[1] = s1;
  e->slot[2] = s2;
  e->flags[0] = e->flags[1] = e->flags[2] = 1;
  e->type = 2;
  e->magic = RIDGECORE_ENROLL_MAGIC;
  return t;
}

// Fills the slots in order through VD_Fast_MakeEnrollUsingFData; returns the last error.
int enroll(std::vector<uint8_t>& t, std::initializer_list<tagFASTFDATA> impressions, ExportCall& call) {
  int slot = 0;
  for (tagFASTFDATA f : impressions) {
    lib().VD_Fast_MakeEnrollUsingFData(&f, slot++, asTemplate(t), call.message, &call.error);
    if (call.error != 0) break;
  }
  return call.error;
}

}  // namespace

TEST(FastExports, FData2FastFDataWritesTheFastFormOverTheWholeRecord) {
  const tagFDATA record = extracted(realImages("fvc2002_db1_b").at(3));
  tagFASTFDATA fast;
  std::memset(&fast, 0x5A, sizeof fast);  // a record that held something else
  std::memcpy(fast.mark, "1040TF", 6);
  ExportCall call;
  ASSERT_EQ(lib().VD_FData2FastFData(const_cast<tagFDATA*>(&record), &fast, call.message, &call.error), 1);
  EXPECT_EQ(call.text(), "Veradynics");
  tagFASTFDATA expected;
  std::memset(&expected, 0, sizeof expected);
  ridgecore::ToFastForm(record, expected);
  std::memcpy(expected.mark, "1040TF", 6);
  EXPECT_EQ(std::memcmp(&fast, &expected, sizeof fast), 0);
  tagFASTFDATA again = fast;
  ASSERT_EQ(lib().VD_FData2FastFData(const_cast<tagFDATA*>(&record), &again, call.message, &call.error), 1);
  EXPECT_EQ(std::memcmp(&fast, &again, sizeof fast), 0);
}

// The record is filled with image bytes first; a successful extraction
// leaves none of them, only the fast form.
TEST(FastExports, FastExtractionLeavesOnlyTheFastForm) {
  const RealImage image = realImages("fvc2000_db1_b").at(5);
  std::vector<uint8_t> pixels = sensorImage(image);
  tagFASTFDATA fast;
  ExportCall call;
  ASSERT_EQ(lib().VD_Fast_ExtractFData(pixels.data(), &fast, call.message, &call.error), 1);
  tagFASTFDATA expected;
  std::memset(&expected, 0, sizeof expected);
  ridgecore::ToFastForm(extracted(image), expected);
  std::memcpy(expected.mark, "1040TF", 6);
  EXPECT_EQ(std::memcmp(&fast, &expected, sizeof fast), 0);
}

TEST(FastExports, ElevenPairsMatchTwoRecordsTemplatesNeedTwelve) {
  Scene eleven = scene(11, 7);
  int score = 7;
  ExportCall call;
  ASSERT_EQ(lib().VD_Fast_CompareFData1to1(&eleven.stored, &eleven.other, &score, call.message, &call.error), 1);
  EXPECT_EQ(score, 100);
  std::vector<uint8_t> t = storedTemplate(otherFinger(1), otherFinger(2), eleven.stored);
  EXPECT_EQ(lib().VD_FAST_CompareEnroll1to1UsingFData(&eleven.other, asTemplate(t), &score, call.message, &call.error),
            1);
  EXPECT_EQ(call.error, -9);
  EXPECT_EQ(call.text(), "(S_F_CE1to1UF) Please try again...");
  EXPECT_EQ(score, 0);
  Scene twelve = scene(12, 6);
  asTemplate(t)->slot[2] = twelve.stored;
  EXPECT_EQ(lib().VD_FAST_CompareEnroll1to1UsingFData(&twelve.other, asTemplate(t), &score, call.message, &call.error),
            1);
  EXPECT_EQ(call.error, 0);
  EXPECT_EQ(score, 100);
  Scene ten = scene(10, 5);
  EXPECT_EQ(lib().VD_Fast_CompareFData1to1(&ten.stored, &ten.other, &score, call.message, &call.error), 1);
  EXPECT_EQ(score, 0);
}

TEST(FastExports, SlotFillingAppliesTheFastRuleAndCompletesTheTemplate) {
  std::vector<uint8_t> t = emptyTemplate();
  ExportCall call;
  ASSERT_EQ(enroll(t, {fingerAt(0, 0), fingerAt(20, 14)}, call), 0) << call.text();
  tagFASTFDATA unmoved = fingerAt(22, 12);  // 2 and -2 from slot 1
  EXPECT_EQ(lib().VD_Fast_MakeEnrollUsingFData(&unmoved, 2, asTemplate(t), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -10);
  EXPECT_EQ(call.text(), "(S_F_MEUF) No sufficient offset in fingerprint. Please lift your finger & try again!");
  EXPECT_EQ(t[0], 0);
  tagFASTFDATA moved = fingerAt(40, 28);
  ASSERT_EQ(lib().VD_Fast_MakeEnrollUsingFData(&moved, 2, asTemplate(t), call.message, &call.error), 1);
  const unsigned char header[] = {2, 0xDA, 5, 0, 0, 150, 150, 96};
  EXPECT_EQ(std::memcmp(t.data(), header, sizeof header), 0);
  for (int k = 15639; k < 15642; ++k) EXPECT_EQ(t[k], 1) << k;
  EXPECT_EQ(std::memcmp(&asTemplate(t)->slot[2], &moved, sizeof moved), 0);
  int dpi = 0;
  EXPECT_EQ(lib().VD_FAST_GetDPIInfo(asTemplate(t), &dpi, call.message, &call.error), 1);
  EXPECT_EQ(dpi, 480);
  // Another finger, after a comparison that measured a long way: not the same finger.
  std::vector<uint8_t> second = emptyTemplate();
  tagFASTFDATA other = otherFinger(9);
  ASSERT_EQ(enroll(second, {fingerAt(0, 0), fingerAt(30, 30)}, call), 0);
  EXPECT_EQ(lib().VD_Fast_MakeEnrollUsingFData(&other, 2, asTemplate(second), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -2);
  EXPECT_EQ(call.text(), "(S_F_MEUF) Please try again!");
}

// The fast search over user records of a caller, slot 0 of every template
// first: template 1 matches through slot 0 before template 0 through slot 1,
// and without its magic it ends the search before either.
TEST(FastExports, SearchOverCallerRecords) {
  constexpr int kRecord = 16000, kOffset = 200;
  std::vector<uint8_t> records(size_t(kRecord) * 3, 0xEE);
  const auto put = [&](int i, const std::vector<uint8_t>& t) {
    std::memcpy(records.data() + size_t(i) * kRecord + kOffset, t.data(), t.size());
  };
  put(0, storedTemplate(otherFinger(1), fingerAt(0, 0), otherFinger(2)));
  put(1, storedTemplate(fingerAt(0, 0), otherFinger(3), otherFinger(4)));
  put(2, storedTemplate(otherFinger(5), otherFinger(6), otherFinger(7)));
  tagFASTFDATA probe = fingerAt(16, 10);
  int index = 7, score = 7;
  ExportCall call;
  ASSERT_EQ(lib().VD_FAST_CompareEnroll1toNUsingFData(&probe, records.data(), 3, kRecord, kOffset, &index, &score,
                                                      call.message, &call.error),
            1);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(score, 100);
  tagFASTFDATA stranger = otherFinger(99);
  EXPECT_EQ(lib().VD_FAST_CompareEnroll1toNUsingFData(&stranger, records.data(), 3, kRecord, kOffset, &index, &score,
                                                      call.message, &call.error),
            1);
  EXPECT_EQ(call.error, -9);
  EXPECT_EQ(call.text(), "(S_F_CE1toNUF) Please try again...");
  EXPECT_EQ(index, -1);
  EXPECT_EQ(score, 0);
  records[size_t(kRecord) + kOffset + 1] = 0;  // template 1 loses its magic
  EXPECT_EQ(lib().VD_FAST_CompareEnroll1toNUsingFData(&probe, records.data(), 3, kRecord, kOffset, &index, &score,
                                                      call.message, &call.error),
            0);
  EXPECT_EQ(call.error, -8);
  EXPECT_EQ(call.text(), "(S_F_CE1toNUF) There is an error in ENROLL data.");
}

// A real impression, enrolled through the image export from three records
// of it moved apart, is found again from its image; another finger is not.
TEST(FastExports, RealImpressionIsFoundFromItsImage) {
  const std::vector<RealImage> images = realImages("fvc2000_db1_b");
  const RealImage& finger = images.at(9);  // 102_2: 42 minutiae
  const tagFDATA record = extracted(finger);
  std::vector<uint8_t> t = emptyTemplate();
  ExportCall call;
  for (int slot = 0; slot < 3; ++slot) {
    tagFDATA moved = record;  // 10 * slot pixels to the right (x is kept halved)
    for (int k = 0; k < moved.count; ++k) moved.minutiae[k].x = uint8_t(std::min(149, moved.minutiae[k].x + 5 * slot));
    tagFASTFDATA fast;
    std::memset(&fast, 0, sizeof fast);
    std::memcpy(fast.mark, "1040TF", 6);
    ASSERT_EQ(lib().VD_FData2FastFData(&moved, &fast, call.message, &call.error), 1);
    ASSERT_EQ(lib().VD_Fast_MakeEnrollUsingFData(&fast, slot, asTemplate(t), call.message, &call.error), 1)
        << slot << ": " << call.text();
  }
  std::vector<uint8_t> pixels = sensorImage(finger);
  int score = 7;
  ASSERT_EQ(lib().VD_FAST_CompareEnroll1to1(pixels.data(), asTemplate(t), &score, call.message, &call.error), 1);
  EXPECT_EQ(score, 100);
  std::vector<uint8_t> other = sensorImage(images.at(30));  // 104_7
  ASSERT_EQ(lib().VD_FAST_CompareEnroll1to1(other.data(), asTemplate(t), &score, call.message, &call.error), 1);
  EXPECT_EQ(call.error, -9);
  EXPECT_EQ(call.text(), "(S_F_CE1to1) Please try again...");
}
