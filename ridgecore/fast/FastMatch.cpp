#include "fast/FastMatch.h"

#include <algorithm>
#include <cstdint>

#include "fast/FastExtension.h"
#include "fast/FastForm.h"
#include "fast/FastPairChecks.h"
#include "fast/FastProbe.h"
#include "match/FixedSort.h"

namespace ridgecore {
namespace {

constexpr int kSmallRecord = 17;  // both records at most this: fewer pairs decide
constexpr int kSmallStop = 9;
constexpr int kSmallerStop = 8;  // ... and fewer still when a is 14 or more and b 14 or less
constexpr int kSmallerFrom = 14;

// How many pairs a result needs, given the minutiae that stayed unpaired on
// the smaller side: the more are left over, the more must have paired.
int leastResult(int unpaired) {
  if (unpaired > 15) return 9;
  if (unpaired >= 11) return 7;
  return 5;
}

int stageResult(FastPair* pairs, int count, FastMatchReport& report) {
  const FastParams& p = fastParams();
  if (count < p.leastPairs) return 0;
  StableSort(pairs, count, [](const FastPair& s, const FastPair& t) { return s.matched > t.matched; });
  report.quick = FastQuickCheck(pairs, count);
  if (report.quick < p.leastPairs) return 0;
  const FastConsistency consistency = FastConsistencyCheck(pairs, count);
  report.consistency = consistency.result;
  report.measured = consistency.measured;
  report.translation = consistency.translation;
  return std::min(report.quick, report.consistency);
}

// Everything after the sweep: findPairs(stop, pairs, pairedA, pairedB) runs it.
template <typename FindPairs>
FastMatchReport evaluate(const tagFASTFDATA& a, const tagFASTFDATA& b, FindPairs findPairs) {
  FastMatchReport report;
  const int nA = FastMinutiaCount(a);
  const int nB = FastMinutiaCount(b);
  FastPair pairs[kFastMaxPairs];
  uint64_t pairedA = 0;
  uint64_t pairedB = 0;
  const int count = findPairs(FastStopCount(nA, nB), pairs, pairedA, pairedB);
  report.pairs = count;
  int result = stageResult(pairs, count, report);
  if (result >= fastParams().leastForExtension) {
    report.extension = ExtendFastPairs(a, b, pairs, count, pairedA, pairedB);
    result += report.extension;
  }
  report.result = result >= leastResult(std::min(nA, nB) - count) ? result : 0;
  return report;
}

}  // namespace

int FastStopCount(int nA, int nB) {
  if (nA > kSmallRecord || nB > kSmallRecord) return kFastMaxPairs;
  return nA >= kSmallerFrom && nB <= kSmallerFrom ? kSmallerStop : kSmallStop;
}

FastMatchReport EvaluateFastMatch(const tagFASTFDATA& a, const FastProbe& b) {
  return evaluate(a, b.record(), [&](int stop, FastPair* pairs, uint64_t& pairedA, uint64_t& pairedB) {
    return b.findPairs(a, stop, pairs, pairedA, pairedB);
  });
}

FastMatchReport EvaluateFastMatch(const tagFASTFDATA& a, const tagFASTFDATA& b) {
  return EvaluateFastMatch(a, FastProbe(b));
}

int FastMatch(const tagFASTFDATA& a, const FastProbe& b) {
  const FastMatchReport report = EvaluateFastMatch(a, b);
  if (report.measured) StoreFastTranslation(report.translation);
  return report.result;
}

int FastMatch(const tagFASTFDATA& a, const tagFASTFDATA& b) { return FastMatch(a, FastProbe(b)); }

}  // namespace ridgecore
