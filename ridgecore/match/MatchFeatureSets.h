#pragma once

#include "match/MatchMinutia.h"
#include "match/MatchOptions.h"
#include "ridgecore.h"

// The comparison engine: every comparison of the library goes through here.
namespace ridgecore {

// Compares two feature records: each minutia of the scanned list (the stored
// record: a template slot, or the second record of a 1:1 comparison) seeks a
// partner in the searched list (the fresh impression). Returns the number of
// unique pairs when the decision accepts, 0 when it rejects, -1 when a record
// is absent or holds no minutiae. Validity marks are not read. Leaves its
// figures in LastMatchResults() (not on -1). Uses the library-wide working
// lists: not reentrant.
int MatchFeatureSets(const tagFDATA* scanned, const tagFDATA* searched, const MatchOptions& options = {});

// The same on lists already prepared with PrepareMatchList, so that a search
// prepares its probe once. The searched list gets its neighbour reach indexed
// on first use (IndexNeighbourReach) and keeps it for later comparisons.
int MatchFeatureSets(const MatchList& scanned, MatchList& searched, const MatchOptions& options = {});

// The library-wide working lists (one each side), for callers that prepare
// a side once and compare it many times.
MatchList& ScannedWorkingList();
MatchList& SearchedWorkingList();

}  // namespace ridgecore
