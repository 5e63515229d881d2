#include "fast/FastEnroll.h"

#include <cstring>

#include "fast/FastMatch.h"
#include "fast/FastParams.h"
#include "fast/FastProbe.h"

namespace ridgecore {
namespace {

constexpr int kSlots = 3;
constexpr int kCompletedLevel = 5;
constexpr int kCentre = 150;
constexpr int kClearedReserved = 6;  // 15642..15647

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

EnrollVerdict AdmitFastImpression(tagFASTENROLL& enroll, int slot) {
  if (slot < 0 || slot >= kSlots) return EnrollVerdict::NotSameFinger;
  enroll.flags[slot] = 0;
  const EnrollVerdict verdict = CheckNewFastImpression(enroll, slot);
  if (verdict != EnrollVerdict::Accepted) return verdict;
  enroll.flags[slot] = 1;
  if (enroll.flags[0] == 1 && enroll.flags[1] == 1 && enroll.flags[2] == 1) FinalizeFastTemplate(enroll);
  return verdict;
}

void FinalizeFastTemplate(tagFASTENROLL& enroll) {
  enroll.type = kFastTemplateType;
  enroll.magic = RIDGECORE_ENROLL_MAGIC;
  enroll.security = kCompletedLevel;
  enroll.zero[0] = enroll.zero[1] = 0;
  enroll.centre[0] = enroll.centre[1] = kCentre;
  enroll.resolution5 = kFastResolution5;
  std::memset(enroll.reserved, 0, kClearedReserved);
}

}  // namespace ridgecore
