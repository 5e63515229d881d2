#pragma once

#include "match/MatchMinutia.h"
#include "match/MinutiaPair.h"

namespace ridgecore {

// What the scan over the scanned list found.
struct PairSearchResult {
  int count = 0;           // paired scanned minutiae (one pair each), before de-duplication
  int examined = 0;        // scanned minutiae reached
  int passed = 0;          // M: candidates that passed acceptance, winners or not
  double crowdingSum = 0;  // sum of the winners' crowding products
  MinutiaPair pairs[kMaxPairs];
};

// Every scanned minutia in list order seeks its best partner among the
// searched minutiae, until the stop number of scanned minutiae is paired.
void FindPairs(const MatchList& scanned, MatchList& searched, PairSearchResult& result);

// The coarse test that sends a minutia pair to the local comparison.
bool PassesCoarseTest(const MatchMinutia& s, const MatchMinutia& t);

// One pair per searched minutia: the one with more paired neighbours, then
// the cheaper. Pairs end up ordered by searched minutia; returns their number.
int DeduplicatePairs(MinutiaPair* pairs, int count);

}  // namespace ridgecore
