// The comparison and search exports through libRidgecore.so on records
// whose minutiae are placed by hand: scores, codes, texts and index outputs.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/ridgecore/ExportCall.h"
#include "tests/ridgecore/RidgecoreLibrary.h"
#include "tests/ridgecore_match/HandPlaced.h"

using namespace ridgecoretest;
using namespace ridgecore::synthetic;
using namespace handplaced;

namespace {

struct Comparison {
  int result, error, score;
  std::string text;
};

Comparison compare(tagFDATA first, tagFDATA second) {
  Comparison c{};
  ExportCall call;
  c.score = 55;
  c.result = lib().VD_CompareFData1to1(&first, &second, &c.score, call.message, &call.error);
  c.error = call.error;
  c.text = call.text();
  return c;
}

int search(UserRecords& records, tagFDATA probe, int* index, int* score, ExportCall& call) {
  *index = 7;
  *score = 7;
  return lib().VD_CompareEnroll1toNUsingFData(&probe, records.data(), records.count(), UserRecords::kSize,
                                              UserRecords::kOffset, index, score, call.message, &call.error);
}

tagFDATA other(uint64_t seed) { return otherRecord(seed); }

TEST(CompareFData1to1, ElevenPairsScoreZeroAndTwelveAHundred) {
  const Comparison eleven = compare(MakeRecord(Shifted(firstOf(kTwelve, 11), 8, 8)), MakeRecord(firstOf(kTwelve, 11)));
  EXPECT_EQ(eleven.result, 1);
  EXPECT_EQ(eleven.error, 0);
  EXPECT_EQ(eleven.text, "Veradynics");
  EXPECT_EQ(eleven.score, 0);
  const Comparison twelve = compare(MakeRecord(Shifted(kTwelve, 8, 8)), MakeRecord(kTwelve));
  EXPECT_EQ(twelve.result, 1);
  EXPECT_EQ(twelve.error, 0);
  EXPECT_EQ(twelve.score, 100);

  // A record without minutiae is compared, and does not match.
  const Comparison empty = compare(MakeRecord({}), MakeRecord(kTwelve));
  EXPECT_EQ(empty.result, 1);
  EXPECT_EQ(empty.error, 0);
  EXPECT_EQ(empty.score, 0);
}

TEST(CompareFData1to1, TheSecondRecordIsTheStoredSide) {
  // Twins on the scanned side use up the scan's places: scanned, they fail; searched, they cost nothing.
  const MinutiaSet finger = otherFinger(1, 34);
  const tagFDATA plain = MakeRecord(finger);
  const tagFDATA twinned = MakeRecord(withTwins(finger, 14));
  EXPECT_EQ(compare(plain, twinned).score, 0);
  EXPECT_EQ(compare(twinned, plain).score, 100);
}

TEST(SearchExports, ReportTheFirstMatchInSlotMajorOrder) {
  const MinutiaSet finger = otherFinger(42, 35);
  const tagFDATA probe = MakeRecord(Shifted(finger, 6, -6));
  UserRecords records;
  records.add(onlyInSlot(1, finger, 100));  // matches, but only through slot 1
  records.add(onlyInSlot(0, finger, 200));
  records.add(onlyInSlot(0, finger, 300));
  int index, score;
  ExportCall call;
  EXPECT_EQ(search(records, probe, &index, &score, call), 1);
  EXPECT_EQ(call.error, 0);
  EXPECT_EQ(call.text(), "Veradynics");
  EXPECT_EQ(index, 1);
  EXPECT_EQ(score, 100);
}

TEST(SearchExports, ATemplateWithoutMagicStopsTheSearchBeforeSlotOneIsReached) {
  const MinutiaSet finger = otherFinger(42, 35);
  const tagFDATA probe = MakeRecord(Shifted(finger, 6, -6));
  tagENROLL unfinished = onlyInSlot(0, otherFinger(77), 400);
  unfinished.magic = 0;
  UserRecords records;
  records.add(onlyInSlot(1, finger, 100));
  records.add(unfinished);
  int index, score;
  ExportCall call;
  EXPECT_EQ(search(records, probe, &index, &score, call), 0);
  EXPECT_EQ(call.error, -8);
  EXPECT_EQ(call.text(), "(S_CE1toNUF) There is an error in ENROLL data.");
  EXPECT_EQ(index, -1);
  EXPECT_EQ(score, 0);
}

TEST(SearchExports, NoMatchCompletesWithMinusNineAndScoreZero) {
  UserRecords records;
  records.add(onlyInSlot(0, kTwelve, 500));
  records.add(onlyInSlot(2, otherFinger(7), 600));
  int index, score;
  ExportCall call;
  EXPECT_EQ(search(records, other(900), &index, &score, call), 1);
  EXPECT_EQ(call.error, -9);
  EXPECT_EQ(call.text(), "(S_CE1toNUF) Please try again...");
  EXPECT_EQ(index, -1);
  EXPECT_EQ(score, 0) << "the raw counts of the search are not left behind";

  UserRecords none;
  ExportCall empty;
  EXPECT_EQ(search(none, MakeRecord(kTwelve), &index, &score, empty), 1);
  EXPECT_EQ(empty.error, -9);
  EXPECT_EQ(index, -1);
}

TEST(CompareEnroll1to1UsingFData, AnySlotMatchesAndNoneIsMinusNine) {
  tagENROLL templ = onlyInSlot(2, kTwelve, 700);
  tagFDATA probe = MakeRecord(Shifted(kTwelve, -10, 4));
  int score = 7;
  ExportCall call;
  EXPECT_EQ(lib().VD_CompareEnroll1to1UsingFData(&probe, &templ, &score, call.message, &call.error), 1);
  EXPECT_EQ(call.error, 0);
  EXPECT_EQ(call.text(), "Veradynics");
  EXPECT_EQ(score, 100);

  tagFDATA stranger = other(901);
  score = 7;
  EXPECT_EQ(lib().VD_CompareEnroll1to1UsingFData(&stranger, &templ, &score, call.message, &call.error), 1);
  EXPECT_EQ(call.error, -9);
  EXPECT_EQ(call.text(), "(S_CE1to1UF) Please try again...");
  EXPECT_EQ(score, 0);
}

}  // namespace
