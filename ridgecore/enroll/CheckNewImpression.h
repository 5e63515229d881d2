#pragma once

#include "match/MatchOptions.h"
#include "ridgecore.h"

namespace ridgecore {

// The consistency rule's verdict on a new impression of a template.
enum class EnrollVerdict : int {
  NotSameFinger = 0,  // the slot fill fails with -2
  Accepted = 1,       // the caller sets the slot's flag
  NotMoved = 2,       // the slot fill fails with -10
};

// Where the new impression came from. The not-moved band for dy is -5..5
// after an image (capture or caller's image), -4..5 after a caller's feature
// record; dx is -5..5 for both.
enum class ImpressionSource { Image, FeatureRecord };

// The not-moved band for dy, given the source.
int NotMovedLowestDy(ImpressionSource source);
inline constexpr int kNotMovedHighestDy = 5;
inline constexpr int kNotMovedMaxDx = 5;
inline constexpr int kSameFingerPairs = 7;

// Judges the impression in template slot newSlot (already written there)
// against every filled slot but itself, slot 0 first; a later slot's verdict
// replaces an earlier one. Each comparison accepts the finger with 7 pairs
// or more, then calls it not moved when the translation it left lies in the
// band: also when the comparison found nothing (translation 0) or returned -1
// (the previous comparison's translation is read). With no other slot filled
// there is nothing to check: Accepted, and no comparison runs. newSlot outside
// 0..2 is NotSameFinger.
EnrollVerdict CheckNewImpression(const tagENROLL& enroll, int newSlot, ImpressionSource source,
                                 const MatchOptions& options = {});

}  // namespace ridgecore
