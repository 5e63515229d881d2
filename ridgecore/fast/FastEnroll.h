#pragma once

#include "enroll/CheckNewImpression.h"
#include "ridgecore.h"

// The fast template: the enrollment rule with the fast comparison, and the
// header of a completed template.
namespace ridgecore {

inline constexpr int kFastTemplateType = 2;
inline constexpr int kFastResolution5 = 96;  // 480 dots per inch, stored / 5

// Judges the impression in slot newSlot (already written there) against
// every filled slot but itself, slot 0 first, a later slot's verdict
// replacing an earlier one: 7 fast pairs or more accept the finger; then the
// translation of the last consistency check within -5..5 in x and -4..5 in y
// calls it not moved (also when this comparison ended before its check and
// an earlier comparison's translation is read). With no other slot filled it
// returns Accepted without comparing. newSlot outside 0..2 is NotSameFinger.
EnrollVerdict CheckNewFastImpression(const tagFASTENROLL& enroll, int newSlot);

// The slot fill after the new impression was written into slot: clears the
// slot's flag, applies the rule when another slot is filled, and on
// Accepted sets the flag and, once all three are set, writes the header.
EnrollVerdict AdmitFastImpression(tagFASTENROLL& enroll, int slot);

// The header of a completed fast template: type 2, magic, level 5, 0, 0,
// 150, 150, resolution byte 96, reserved bytes 15642..15647 zero. The slots
// are not touched.
void FinalizeFastTemplate(tagFASTENROLL& enroll);

}  // namespace ridgecore
