#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "enroll/SecurityLevel.h"
#include "fast/FastEnroll.h"
#include "fast/FastMatch.h"
#include "fast/FastParams.h"
#include "fast/FastSearch.h"
#include "tests/ridgecore_fast/FastScenes.h"

using namespace ridgecore;
using namespace ridgecore::synthetic;
using namespace fastscenes;

namespace {

tagFASTFDATA otherFinger(uint64_t seed) {
  Random random(seed);
  return fastRecord(RandomMinutiae(random, 34));
}

tagFASTENROLL emptyTemplate() {
  tagFASTENROLL e;
  std::memset(&e, 0, sizeof e);
  return e;
}

tagFASTENROLL completed(const tagFASTFDATA& s0, const tagFASTFDATA& s1, const tagFASTFDATA& s2) {
  return MakeFastTemplate(s0, s1, s2);
}

// A finger spread over the image and the same finger moved by (dx, dy) pixels.
MinutiaSet finger() {
  Random random(404);
  return RandomMinutiae(random, 36);
}
tagFASTFDATA fingerAt(int dx, int dy) { return fastRecord(Shifted(finger(), dx, dy)); }

// Leaves a comparison's translation behind: (dx, dy) from a match moved so.
void leaveTranslation(int dx, int dy) {
  ASSERT_GE(FastMatch(fingerAt(0, 0), fingerAt(dx, dy)), 7);
  ASSERT_EQ(LastFastTranslation().dx, dx);
}

// User records holding a fast template at an offset, as a caller keeps them.
constexpr int kRecordSize = 15700;
constexpr int kTemplateOffset = 36;

class TemplateList {
 public:
  void add(const tagFASTENROLL& e) {
    bytes_.resize(bytes_.size() + kRecordSize, 0xEE);
    std::memcpy(bytes_.data() + bytes_.size() - kRecordSize + kTemplateOffset, &e, sizeof e);
  }
  tagFASTENROLL& at(int i) {
    return *reinterpret_cast<tagFASTENROLL*>(bytes_.data() + i * kRecordSize + kTemplateOffset);
  }
  int count() const { return int(bytes_.size() / kRecordSize); }
  const unsigned char* data() const { return bytes_.data(); }

 private:
  std::vector<unsigned char> bytes_;
};

struct Outcome {
  int code, index, score;
  FastTranslation translation;
  bool operator==(const Outcome& o) const {
    return code == o.code && index == o.index && score == o.score && translation.dx == o.translation.dx &&
           translation.dy == o.translation.dy;
  }
};

Outcome search(const TemplateList& list, const tagFASTFDATA& probe, int threads) {
  StoreFastTranslation({-99, -99});
  Outcome o{0, 7, 7, {}};
  o.code =
      SearchFastTemplates(probe, list.data(), list.count(), kRecordSize, kTemplateOffset, &o.index, &o.score, threads);
  o.translation = LastFastTranslation();
  return o;
}

}  // namespace

TEST(FastEnrollment, FirstImpressionIsAcceptedWithoutComparing) {
  tagFASTENROLL e = emptyTemplate();
  e.slot[2] = fingerAt(0, 0);
  StoreFastTranslation({40, 40});
  EXPECT_EQ(CheckNewFastImpression(e, 2), EnrollVerdict::Accepted);
  EXPECT_EQ(LastFastTranslation().dx, 40);
}

// The band is -5..5 in x and -4..5 in y, on the translation as measured:
// a shift left or up is measured one pixel short, so -6 in x still counts
// as not moved.
TEST(FastEnrollment, TheFingerMustHaveMovedBeyondTheBand) {
  struct Case {
    int dx, dy;
    EnrollVerdict verdict;
  } cases[] = {{0, 0, EnrollVerdict::NotMoved},  {4, 4, EnrollVerdict::NotMoved},  {-6, -4, EnrollVerdict::NotMoved},
               {6, 0, EnrollVerdict::Accepted},  {-8, 0, EnrollVerdict::Accepted}, {0, 6, EnrollVerdict::Accepted},
               {0, -6, EnrollVerdict::Accepted}, {20, 14, EnrollVerdict::Accepted}};
  for (const Case& c : cases) {
    tagFASTENROLL e = emptyTemplate();
    e.slot[0] = fingerAt(0, 0);
    e.flags[0] = 1;
    e.slot[1] = fingerAt(c.dx, c.dy);
    EXPECT_EQ(CheckNewFastImpression(e, 1), c.verdict) << c.dx << ", " << c.dy;
  }
}

// Another finger ends its comparison before the consistency check, so the
// translation the library kept from before decides between the two refusals.
TEST(FastEnrollment, AnotherFingerIsJudgedByTheTranslationLeftBefore) {
  tagFASTENROLL e = emptyTemplate();
  e.slot[0] = fingerAt(0, 0);
  e.flags[0] = 1;
  e.slot[1] = otherFinger(9);
  leaveTranslation(30, 20);
  EXPECT_EQ(CheckNewFastImpression(e, 1), EnrollVerdict::NotSameFinger);
  leaveTranslation(2, 2);
  EXPECT_EQ(CheckNewFastImpression(e, 1), EnrollVerdict::NotMoved);
}

TEST(FastEnrollment, TheLastFilledSlotDecides) {
  tagFASTENROLL e = emptyTemplate();
  e.slot[0] = fingerAt(0, 0);
  e.slot[1] = fingerAt(24, 0);
  e.flags[0] = e.flags[1] = 1;
  e.slot[2] = fingerAt(24, 2);  // moved from slot 0, not from slot 1
  EXPECT_EQ(CheckNewFastImpression(e, 2), EnrollVerdict::NotMoved);
  e.slot[2] = fingerAt(2, 0);  // not moved from slot 0, moved from slot 1
  EXPECT_EQ(CheckNewFastImpression(e, 2), EnrollVerdict::Accepted);
}

TEST(FastTemplateSearch, NothingToSearch) {
  int index = 7, score = 7;
  const tagFASTFDATA probe = fingerAt(0, 0);
  EXPECT_EQ(SearchFastTemplates(probe, nullptr, 0, kRecordSize, 0, &index, &score), kSearchNoMatch);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(score, 0);
  EXPECT_EQ(SearchFastTemplates(probe, nullptr, 3, kRecordSize, 0, &index, &score), kSearchBadTemplate);
  TemplateList list;
  list.add(completed(otherFinger(1), otherFinger(2), otherFinger(3)));
  EXPECT_EQ(SearchFastTemplates(probe, list.data(), list.count(), kRecordSize, kTemplateOffset, nullptr, nullptr),
            kSearchNoMatch);
}

// Several threads give what one gives: the first template in slot-major
// order, its score, and the translation of the last comparison before it
// that reached the consistency check.
TEST(FastTemplateSearch, ThreadsChangeNothing) {
  TemplateList list;
  for (int i = 0; i < 150; ++i) {
    list.add(completed(otherFinger(10 + 3 * i), otherFinger(11 + 3 * i), otherFinger(12 + 3 * i)));
  }
  // Part of the probe's cluster, placed so that each comparison measures its
  // own translation without matching.
  const auto part = [](int dx) { return fastRecord(Shifted(cluster(9), dx, 0)); };
  const Scene near = scene(9, 4, 30, 18);
  list.at(40).slot[1] = part(0);    // position 190
  list.at(120).slot[2] = part(10);  // position 420, the last to measure
  const Outcome none = search(list, near.other, 1);
  EXPECT_EQ(none.code, kSearchNoMatch);
  EXPECT_EQ(none.translation.dx, 20);
  EXPECT_EQ(none.translation.dy, 18);
  EXPECT_EQ(search(list, near.other, 2), none);
  EXPECT_EQ(search(list, near.other, 4), none);

  const Scene match = scene(14, 0, 20, 6);
  list.at(130).slot[2] = match.stored;
  list.at(20).slot[2] = match.stored;  // position 320: the first match
  list.at(25).slot[2] = part(8);       // measured after the match: must not count
  const Outcome found = search(list, match.other, 1);
  EXPECT_EQ(found.code, kSearchMatched);
  EXPECT_EQ(found.index, 20);
  EXPECT_EQ(found.translation.dx, 20);
  EXPECT_EQ(search(list, match.other, 2), found);
  EXPECT_EQ(search(list, match.other, 4), found);

  // Slot 0 of template 100 ends the search; slot 0 of template 60 measured last before it.
  list.at(100).magic = 0;
  list.at(60).slot[0] = part(4);
  const Outcome bad = search(list, match.other, 1);
  EXPECT_EQ(bad.code, kSearchBadTemplate);
  EXPECT_EQ(bad.translation.dx, 16);
  EXPECT_EQ(search(list, match.other, 2), bad);
  EXPECT_EQ(search(list, match.other, 4), bad);
}

// Every thread reads each template's own level: a template of level 5 that
// the probe pairs too little with does not match, one of level 1 further on
// with the same record does, whichever thread meets it.
TEST(FastTemplateSearch, ThreadsJudgeEachTemplateByItsOwnLevel) {
  TemplateList list;
  for (int i = 0; i < 150; ++i) {
    tagFASTENROLL e = completed(otherFinger(10 + 3 * i), otherFinger(11 + 3 * i), otherFinger(12 + 3 * i));
    e.security = VD_SECURITYMIN;
    list.add(e);
  }
  const Scene weak = scene(9, 4, 30, 18);
  const int pairs = FastMatch(weak.stored, weak.other);
  ASSERT_GE(pairs, FastPairsToMatch(VD_SECURITYMIN));
  ASSERT_LT(pairs, FastPairsToMatch(VD_SECURITYMAX));
  list.at(20).slot[2] = weak.stored;  // position 320
  list.at(20).security = VD_SECURITYMAX;
  list.at(130).slot[2] = weak.stored;  // position 430
  const Outcome found = search(list, weak.other, 1);
  EXPECT_EQ(found.code, kSearchMatched);
  EXPECT_EQ(found.index, 130);
  EXPECT_EQ(search(list, weak.other, 2), found);
  EXPECT_EQ(search(list, weak.other, 4), found);

  list.at(130).security = 0;  // no level: the strictest
  EXPECT_EQ(search(list, weak.other, 1).code, kSearchNoMatch);
  EXPECT_EQ(search(list, weak.other, 4).code, kSearchNoMatch);
}
