#pragma once

#include "enroll/CheckNewImpression.h"
#include "ridgecore.h"

// The enrollment rule of the fast template, with the fast comparison. The
// slot fill around it (flags, header) is the exports' (api/SlotFilling).
namespace ridgecore {

// Judges the impression in slot newSlot (already written there) against
// every filled slot but itself, slot 0 first, a later slot's verdict
// replacing an earlier one: 7 fast pairs or more accept the finger; then the
// translation of the last consistency check within -5..5 in x and -4..5 in y
// calls it not moved (also when this comparison ended before its check and
// an earlier comparison's translation is read). With no other slot filled it
// returns Accepted without comparing. newSlot outside 0..2 is NotSameFinger.
EnrollVerdict CheckNewFastImpression(const tagFASTENROLL& enroll, int newSlot);

}  // namespace ridgecore
