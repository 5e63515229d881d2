#pragma once

#include "match/MatchMinutia.h"

namespace ridgecore {

// One neighbour pass for minutia m of a list whose minutiae and crowding are
// in place: collects the minutiae within the neighbourhood radius (list order,
// at most 50), computes their links, gives each of them its salience, then
// keeps the 17 most salient sorted by distance.
void SelectNeighbours(MatchList& list, int m);

// The salience step alone, over the links minutia m has collected: every
// listed neighbour's salience is overwritten.
void ComputeSalience(MatchList& list, int m);

}  // namespace ridgecore
