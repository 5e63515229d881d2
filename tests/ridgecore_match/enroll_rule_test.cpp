#include <gtest/gtest.h>

#include <cstring>

#include "enroll/CheckNewImpression.h"
#include "match/MatchFeatureSets.h"
#include "match/MatchResults.h"
#include "tests/ridgecore_match/HandPlaced.h"

using namespace ridgecore;
using namespace ridgecore::synthetic;
using namespace handplaced;

namespace {

// A template being built: the given slots filled and flagged, newSlot
// holding the new impression with its flag cleared.
tagENROLL building(std::initializer_list<std::pair<int, MinutiaSet>> filled, int newSlot, const MinutiaSet& fresh) {
  tagENROLL e;
  std::memset(&e, 0, sizeof e);
  for (const auto& [slot, set] : filled) {
    e.slot[slot] = MakeRecord(set);
    e.flags[slot] = 1;
  }
  e.slot[newSlot] = MakeRecord(fresh);
  return e;
}

EnrollVerdict judge(const tagENROLL& e, int newSlot, ImpressionSource source = ImpressionSource::Image) {
  return CheckNewImpression(e, newSlot, source);
}

// Half the minutiae 4 pixels up, half 6: the pairs' mean moves by exactly -5.
MinutiaSet upByFive(const MinutiaSet& set) {
  MinutiaSet out = set;
  for (size_t k = 0; k < out.size(); ++k) out[k].y -= (k % 2) ? 4 : 6;
  return out;
}

}  // namespace

TEST(EnrollmentRule, FirstSlotFilledInAnyPositionSkipsTheRule) {
  const tagFDATA a = MakeRecord(kTwelve);
  const tagFDATA b = MakeRecord(Shifted(kTwelve, 30, 0));
  MatchFeatureSets(&a, &b);
  const MatchResults before = LastMatchResults();
  // Slot 2 first, into an empty template: nothing to compare with.
  EXPECT_EQ(judge(building({}, 2, kTwelve), 2), EnrollVerdict::Accepted);
  EXPECT_EQ(judge(building({}, 0, otherFinger(3)), 0), EnrollVerdict::Accepted);
  EXPECT_EQ(std::memcmp(&before, &LastMatchResults(), sizeof before), 0);
}

TEST(EnrollmentRule, UnmovedImpressionIsRefusedWhileASixPixelShiftIsAccepted) {
  EXPECT_EQ(judge(building({{0, kTwelve}}, 1, kTwelve), 1), EnrollVerdict::NotMoved);
  EXPECT_GE(LastMatchResults().pairs, 7);  // it did match
  EXPECT_EQ(judge(building({{0, kTwelve}}, 1, Shifted(kTwelve, 4, -4)), 1), EnrollVerdict::NotMoved);
  EXPECT_EQ(judge(building({{0, kTwelve}}, 1, Shifted(kTwelve, 6, 0)), 1), EnrollVerdict::Accepted);
  EXPECT_EQ(judge(building({{0, kTwelve}}, 1, Shifted(kTwelve, 0, 6)), 1), EnrollVerdict::Accepted);
}

TEST(EnrollmentRule, DyOfMinusFiveIsStillForImagesButMovedForFeatureRecords) {
  const tagENROLL e = building({{1, kTwelve}}, 0, upByFive(kTwelve));
  EXPECT_EQ(judge(e, 0, ImpressionSource::Image), EnrollVerdict::NotMoved);
  ASSERT_EQ(LastMatchResults().dy, -5);
  ASSERT_EQ(LastMatchResults().dx, 0);
  EXPECT_EQ(judge(e, 0, ImpressionSource::FeatureRecord), EnrollVerdict::Accepted);
  // dy = +5 lies in both bands.
  const tagENROLL down = building({{1, upByFive(kTwelve)}}, 0, kTwelve);
  EXPECT_EQ(judge(down, 0, ImpressionSource::FeatureRecord), EnrollVerdict::NotMoved);
}

TEST(EnrollmentRule, TheLastFilledSlotDecides) {
  const MinutiaSet moved = Shifted(kTwelve, 20, 0);
  // Matches slot 0 with a shift, but lies unmoved on slot 1.
  EXPECT_EQ(judge(building({{0, kTwelve}, {1, moved}}, 2, moved), 2), EnrollVerdict::NotMoved);
  // Lies unmoved on slot 0, but matches slot 1 with a shift.
  EXPECT_EQ(judge(building({{0, kTwelve}, {1, moved}}, 2, kTwelve), 2), EnrollVerdict::Accepted);
  // Slot 2 and slot 0 filled, slot 1 new: slot 2 is compared last.
  EXPECT_EQ(judge(building({{0, kTwelve}, {2, moved}}, 1, kTwelve), 1), EnrollVerdict::Accepted);
  EXPECT_EQ(judge(building({{0, moved}, {2, kTwelve}}, 1, kTwelve), 1), EnrollVerdict::NotMoved);
}

TEST(EnrollmentRule, AnotherFingerIsNotTheSameFinger) {
  // A few pairs, far from each other: no agreement, and clearly moved.
  const MinutiaSet stored = star(3);
  EXPECT_EQ(judge(building({{0, stored}}, 1, Shifted(stored, 20, 10)), 1), EnrollVerdict::NotSameFinger);
  // Nothing in common at all leaves a translation of 0: refused as not moved.
  EXPECT_EQ(judge(building({{0, kTwelve}}, 1, otherFinger(5)), 1), EnrollVerdict::NotMoved);
  EXPECT_EQ(LastMatchResults().pairs, 0);
}

TEST(EnrollmentRule, ImpressionWithoutMinutiaeReadsThePreviousTranslation) {
  const tagENROLL e = building({{0, kTwelve}}, 1, {});
  const tagFDATA a = MakeRecord(kTwelve);
  const tagFDATA far = MakeRecord(Shifted(kTwelve, 30, 0));
  ASSERT_EQ(MatchFeatureSets(&a, &far), 12);
  EXPECT_EQ(judge(e, 1), EnrollVerdict::NotSameFinger);
  ASSERT_EQ(MatchFeatureSets(&a, &a), 12);
  EXPECT_EQ(judge(e, 1), EnrollVerdict::NotMoved);
}

TEST(EnrollmentRule, NeverComparesTheNewSlotWithItself) {
  // The new slot's flag still set by mistake: it is skipped, not compared with itself.
  tagENROLL e = building({{0, kTwelve}}, 1, Shifted(kTwelve, 10, 0));
  e.flags[1] = 1;
  EXPECT_EQ(judge(e, 1), EnrollVerdict::Accepted);
  EXPECT_EQ(judge(e, 3), EnrollVerdict::NotSameFinger);
  EXPECT_EQ(judge(e, -1), EnrollVerdict::NotSameFinger);
}
