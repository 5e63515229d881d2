#include "fast/FastEnroll.h"

#include "fast/FastMatch.h"
#include "fast/FastParams.h"
#include "fast/FastProbe.h"

namespace ridgecore {
namespace {

constexpr int kSlots = 3;

bool lyingStill(FastTranslation t) {
  return t.dx >= -kNotMovedMaxDx && t.dx <= kNotMovedMaxDx &&
         t.dy >= NotMovedLowestDy(ImpressionSource::FeatureRecord) && t.dy <= kNotMovedHighestDy;
}

bool otherSlotFilled(const tagFASTENROLL& enroll, int slot) {
  for (int k = 0; k < kSlots; ++k) {
    if (k != slot && enroll.flags[k] == 1) return true;
  }
  return false;
}

}  // namespace

EnrollVerdict CheckNewFastImpression(const tagFASTENROLL& enroll, int newSlot) {
  if (newSlot < 0 || newSlot >= kSlots) return EnrollVerdict::NotSameFinger;
  if (!otherSlotFilled(enroll, newSlot)) return EnrollVerdict::Accepted;
  const FastProbe impression(enroll.slot[newSlot]);
  EnrollVerdict verdict = EnrollVerdict::NotSameFinger;
  for (int k = 0; k < kSlots; ++k) {
    if (k == newSlot || enroll.flags[k] != 1) continue;
    if (FastMatch(enroll.slot[k], impression) >= kSameFingerPairs) verdict = EnrollVerdict::Accepted;
    if (lyingStill(LastFastTranslation())) verdict = EnrollVerdict::NotMoved;
  }
  return verdict;
}

}  // namespace ridgecore
