#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "enroll/SearchTemplates.h"
#include "tests/ridgecore_match/HandPlaced.h"

using namespace ridgecore;
using namespace ridgecore::synthetic;
using namespace handplaced;

namespace {

constexpr int kRecordSize = UserRecords::kSize;
constexpr int kTemplateOffset = UserRecords::kOffset;

class TemplateList : public UserRecords {
 public:
  int search(const tagFDATA& probe, int* index, int* score) const {
    return SearchTemplates(probe, data(), count(), kRecordSize, kTemplateOffset, index, score);
  }
};

tagFDATA other(uint64_t seed) { return otherRecord(seed); }

struct Outcome {
  int code, index, score;
};

Outcome search(const TemplateList& list, const tagFDATA& probe) {
  Outcome o{0, 7, 7};
  o.code = list.search(probe, &o.index, &o.score);
  return o;
}

}  // namespace

TEST(TemplateSearch, TwelvePairsMatchAndElevenDoNot) {
  const tagFDATA probe12 = MakeRecord(Shifted(kTwelve, 8, 8));
  const tagFDATA probe11 = MakeRecord(Shifted(firstOf(kTwelve, 11), 8, 8));
  const MinutiaSet eleven = firstOf(kTwelve, 11);
  TemplateList list;
  list.add(MakeTemplate(other(10), MakeRecord(eleven), other(11)));
  const Outcome no = search(list, probe11);
  EXPECT_EQ(no.code, kSearchNoMatch);
  EXPECT_EQ(no.index, -1);
  EXPECT_EQ(no.score, 0);

  TemplateList twelve;
  twelve.add(MakeTemplate(other(10), MakeRecord(kTwelve), other(11)));
  const Outcome yes = search(twelve, probe12);
  EXPECT_EQ(yes.code, kSearchMatched);
  EXPECT_EQ(yes.index, 0);
  EXPECT_EQ(yes.score, 100);
}

TEST(TemplateSearch, ReportsTheFirstMatchInSlotMajorOrder) {
  const MinutiaSet finger = otherFinger(42, 35);
  const tagFDATA probe = MakeRecord(Shifted(finger, 6, -6));
  TemplateList list;
  list.add(onlyInSlot(1, finger, 100));  // would match, but only through slot 1
  list.add(onlyInSlot(0, finger, 200));
  list.add(onlyInSlot(0, finger, 300));
  const Outcome o = search(list, probe);
  EXPECT_EQ(o.code, kSearchMatched);
  EXPECT_EQ(o.index, 1);
  EXPECT_EQ(o.score, 100);

  TemplateList both;
  both.add(onlyInSlot(0, finger, 100));
  both.add(onlyInSlot(0, finger, 200));
  EXPECT_EQ(search(both, probe).index, 0);
  TemplateList late;
  late.add(onlyInSlot(2, finger, 100));
  late.add(onlyInSlot(1, finger, 200));
  EXPECT_EQ(search(late, probe).index, 1);
}

TEST(TemplateSearch, ATemplateWithoutMagicStopsTheScanWhenSlotZeroReachesIt) {
  const MinutiaSet finger = otherFinger(42, 35);
  const tagFDATA probe = MakeRecord(Shifted(finger, 6, -6));
  tagENROLL broken = onlyInSlot(0, otherFinger(77), 400);
  broken.magic = 0;
  TemplateList list;
  list.add(onlyInSlot(1, finger, 100));  // matches in slot 1, never reached
  list.add(broken);
  const Outcome o = search(list, probe);
  EXPECT_EQ(o.code, kSearchBadTemplate);
  EXPECT_EQ(o.index, -1);
  EXPECT_EQ(o.score, 0);

  // Found through slot 0 before the broken template is reached.
  TemplateList early;
  early.add(onlyInSlot(0, finger, 100));
  early.add(broken);
  EXPECT_EQ(search(early, probe).code, kSearchMatched);
}

TEST(TemplateSearch, EmptyListsAndEmptyProbesFindNothing) {
  TemplateList none;
  const tagFDATA probe = MakeRecord(kTwelve);
  const Outcome empty = search(none, probe);
  EXPECT_EQ(empty.code, kSearchNoMatch);
  EXPECT_EQ(empty.index, -1);
  EXPECT_EQ(empty.score, 0);

  TemplateList list;
  list.add(MakeTemplate(MakeRecord(kTwelve), MakeRecord(kTwelve), MakeRecord(kTwelve)));
  const Outcome noMinutiae = search(list, MakeRecord({}));
  EXPECT_EQ(noMinutiae.code, kSearchNoMatch);
  EXPECT_EQ(noMinutiae.score, 0);
  // No buffer at all: refused, not read.
  int index = 7;
  int score = 7;
  EXPECT_EQ(SearchTemplates(probe, nullptr, 2, kRecordSize, kTemplateOffset, &index, &score), kSearchBadTemplate);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(score, 0);
  EXPECT_EQ(SearchTemplates(probe, nullptr, 0, kRecordSize, kTemplateOffset, nullptr, nullptr), kSearchNoMatch);
  // A template slot that is empty (all zero) simply never matches; the flags are not read.
  tagENROLL sparse = MakeTemplate(MakeRecord({}), MakeRecord({}), MakeRecord(kTwelve));
  sparse.flags[2] = 0;
  TemplateList one;
  one.add(sparse);
  EXPECT_EQ(search(one, probe).code, kSearchMatched);
}

TEST(TemplateSearch, OneToOneIsASearchOverOneTemplate) {
  const tagENROLL e = onlyInSlot(2, kTwelve, 500);
  int score = 7;
  EXPECT_EQ(CompareWithTemplate(MakeRecord(Shifted(kTwelve, -10, 4)), e, &score), kSearchMatched);
  EXPECT_EQ(score, 100);
  EXPECT_EQ(CompareWithTemplate(other(900), e, &score), kSearchNoMatch);
  EXPECT_EQ(score, 0);
  tagENROLL unfinished = e;
  unfinished.magic = 0;
  EXPECT_EQ(CompareWithTemplate(MakeRecord(kTwelve), unfinished, &score), kSearchBadTemplate);
}
