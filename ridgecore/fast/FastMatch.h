#pragma once

#include "fast/FastParams.h"
#include "ridgecore.h"

// The fast comparison of two fast records: a sweep over both minutia lists
// sorted by x pairs minutiae whose neighbourhoods agree, two checks judge
// the pairs as a whole, and the minutiae left over are tried against the
// pairs as anchors.
namespace ridgecore {

class FastProbe;

inline constexpr int kFastRecordMatch = 11;    // the 1:1 record comparison's match
inline constexpr int kFastTemplateMatch = 12;  // templates of level 5 (enroll/SecurityLevel.h)

// What one comparison found, stage by stage.
struct FastMatchReport {
  int result = 0;                 // the fast paired count, 0 when rejected
  int pairs = 0;                  // pairs of the sweep
  int quick = 0;                  // the quick check, 0 when it did not run
  int consistency = 0;            // the consistency check, 0 when it did not run
  int extension = 0;              // unpaired minutiae matched against the anchors
  bool measured = false;          // the consistency check ran and measured a translation
  FastTranslation translation{};  // its translation, pixels, b minus a
};

// How many pairs end the sweep for records of nA and nB minutiae: 8, 9 or 11.
int FastStopCount(int nA, int nB);

// Compares a (the stored side: a template slot, or the first record of a 1:1
// comparison) with b, prepared (fast/FastProbe.h) when it meets several
// records. Touches no library-wide state, so searches may run it on several
// threads.
FastMatchReport EvaluateFastMatch(const tagFASTFDATA& a, const FastProbe& b);
FastMatchReport EvaluateFastMatch(const tagFASTFDATA& a, const tagFASTFDATA& b);

// The library's fast comparison: EvaluateFastMatch, and its translation into
// the library-wide record when the consistency check ran (a comparison that
// ends earlier leaves the previous one's). Returns the fast paired count.
int FastMatch(const tagFASTFDATA& a, const FastProbe& b);
int FastMatch(const tagFASTFDATA& a, const tagFASTFDATA& b);

}  // namespace ridgecore
