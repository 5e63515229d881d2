#include "enroll/CheckNewImpression.h"

#include "match/MatchFeatureSets.h"
#include "match/MatchListBuilder.h"
#include "match/MatchResults.h"

namespace ridgecore {
namespace {

constexpr int kSlots = 3;

bool lyingStill(int dx, int dy, ImpressionSource source) {
  return dx >= -kNotMovedMaxDx && dx <= kNotMovedMaxDx && dy >= NotMovedLowestDy(source) && dy <= kNotMovedHighestDy;
}

bool anyOtherSlotFilled(const tagENROLL& enroll, int newSlot) {
  for (int k = 0; k < kSlots; ++k) {
    if (k != newSlot && enroll.flags[k] == 1) return true;
  }
  return false;
}

}  // namespace

int NotMovedLowestDy(ImpressionSource source) { return source == ImpressionSource::FeatureRecord ? -4 : -5; }

EnrollVerdict CheckNewImpression(const tagENROLL& enroll, int newSlot, ImpressionSource source,
                                 const MatchOptions& options) {
  if (newSlot < 0 || newSlot >= kSlots) return EnrollVerdict::NotSameFinger;
  if (!anyOtherSlotFilled(enroll, newSlot)) return EnrollVerdict::Accepted;
  MatchList& impression = SearchedWorkingList();
  PrepareMatchList(enroll.slot[newSlot], impression);
  MatchList& filled = ScannedWorkingList();
  EnrollVerdict verdict = EnrollVerdict::NotSameFinger;
  for (int k = 0; k < kSlots; ++k) {
    if (k == newSlot || enroll.flags[k] != 1) continue;
    PrepareMatchList(enroll.slot[k], filled);
    if (MatchFeatureSets(filled, impression, options) >= kSameFingerPairs) verdict = EnrollVerdict::Accepted;
    const MatchResults& last = LastMatchResults();
    if (lyingStill(last.dx, last.dy, source)) verdict = EnrollVerdict::NotMoved;
  }
  return verdict;
}

}  // namespace ridgecore
