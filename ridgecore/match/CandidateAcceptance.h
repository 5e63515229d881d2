#pragma once

#include "match/LocalMatch.h"
#include "match/LocalMatchCache.h"

namespace ridgecore {

// Whether the local match of scanned minutia s and searched minutia t makes
// them a candidate pair: enough paired neighbours for their share and cost,
// and neighbours that agree with each other in turn (the second-order check).
// The local matches come from the comparison's cache, which knows both lists.
bool AcceptCandidate(LocalMatchCache& matches, int s, int t);

// The share rule alone: paired neighbours against the smaller neighbourhood.
bool PassesShareRule(const MatchList& scanned, int s, const MatchList& searched, int t, const LocalMatch& local);

// The second-order check alone, over the neighbour pairs of the local match of s and t.
bool PassesSecondOrderCheck(LocalMatchCache& matches, int s, int t);

}  // namespace ridgecore
