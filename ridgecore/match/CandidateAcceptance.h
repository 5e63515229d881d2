#pragma once

#include "match/LocalMatch.h"
#include "match/MatchMinutia.h"

namespace ridgecore {

// Whether the local match of scanned minutia s and searched minutia t makes
// them a candidate pair: enough paired neighbours for their share and cost,
// and neighbours that agree with each other in turn (the second-order check).
bool AcceptCandidate(const MatchList& scanned, int s, const MatchList& searched, int t, const LocalMatch& local);

// The share rule alone: paired neighbours against the smaller neighbourhood.
bool PassesShareRule(const MatchList& scanned, int s, const MatchList& searched, int t, const LocalMatch& local);

// The second-order check alone, over the neighbour pairs of the local match.
bool PassesSecondOrderCheck(const MatchList& scanned, int s, const MatchList& searched, int t, const LocalMatch& local);

}  // namespace ridgecore
