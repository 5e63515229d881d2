#pragma once

#include "match/LocalMatch.h"
#include "match/MatchMinutia.h"

namespace ridgecore {

// Compares the neighbourhood of scanned minutia s with that of searched
// minutia t: the candidate matrix, then the one-to-one assignment. Fastest
// with the searched list's reach indexed (IndexNeighbourReach).
LocalMatch CompareNeighbourhoods(const MatchList& scanned, int s, const MatchList& searched, int t);

// The candidate matrix alone.
void BuildCandidateMatrix(const MatchList& scanned, int s, const MatchList& searched, int t, CandidateMatrix& matrix);

}  // namespace ridgecore
