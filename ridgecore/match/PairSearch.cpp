#include "match/PairSearch.h"

#include <cmath>
#include <cstdlib>

#include "match/CandidateAcceptance.h"
#include "match/FixedSort.h"
#include "match/LocalMatchCache.h"
#include "match/MatchAngles.h"
#include "match/MatchParams.h"
#include "match/MatchTables.h"

namespace ridgecore {

namespace {

bool coarselyNear(const MatchMinutia& s, const MatchMinutia& t, int tolerance, const MatchTables& tables) {
  return std::abs(s.x - t.x) <= tolerance && std::abs(s.y - t.y) <= tolerance && tables.withinRotation(s, t);
}

}  // namespace

bool PassesCoarseTest(const MatchMinutia& s, const MatchMinutia& t) {
  return coarselyNear(s, t, matchParams().coordinateTolerance, MatchTables::instance());
}

void FindPairs(const MatchList& scanned, MatchList& searched, PairSearchResult& result) {
  result = PairSearchResult{};
  const int stopAt = matchParams().scanStopPairs();
  const int tolerance = matchParams().coordinateTolerance;
  const MatchTables& tables = MatchTables::instance();
  LocalMatchCache& matches = ComparisonCache();
  matches.begin(scanned, searched);
  for (int s = 0; s < scanned.count && result.count < stopAt; ++s) {
    ++result.examined;
    const MatchMinutia& ms = scanned.minutiae[s];
    int winner = -1;
    LocalMatch best;
    for (int t = 0; t < searched.count; ++t) {
      if (!coarselyNear(ms, searched.minutiae[t], tolerance, tables)) continue;
      if (!AcceptCandidate(matches, s, t)) continue;
      const LocalMatch& local = matches.match(s, t);
      ++result.passed;
      if (winner < 0 || local.pairs > best.pairs || (local.pairs == best.pairs && local.cost < best.cost)) {
        winner = t;
        best = local;
      }
    }
    if (winner < 0) continue;
    result.pairs[result.count++] = MinutiaPair{uint8_t(s), uint8_t(winner), best.pairs, best.cost};
    result.crowdingSum += double{ms.crowding} * searched.minutiae[winner].crowding;
  }
}

int DeduplicatePairs(MinutiaPair* pairs, int count) {
  StableSort(pairs, count, [](const MinutiaPair& a, const MinutiaPair& b) {
    if (a.searched != b.searched) return a.searched < b.searched;
    if (a.neighbours != b.neighbours) return a.neighbours > b.neighbours;
    return a.cost < b.cost;
  });
  int kept = 0;
  for (int k = 0; k < count; ++k) {
    if (kept > 0 && pairs[kept - 1].searched == pairs[k].searched) continue;
    pairs[kept++] = pairs[k];
  }
  return kept;
}

}  // namespace ridgecore
