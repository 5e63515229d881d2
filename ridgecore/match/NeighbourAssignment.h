#pragma once

#include <cstdint>

#include "match/LocalMatch.h"

namespace ridgecore {

// Pairs scanned neighbours with searched neighbours one to one over the
// candidates of the matrix, preferring partners that have no other choice,
// and fills pairs, cost, spread and the pairing list of the result.
void AssignNeighbours(const CandidateMatrix& matrix, LocalMatch& result);

// The eight direction sectors, 0..7, of a relative direction in units.
int DirectionSector(int direction);

// Longest run of occupied sectors (bit k = sector k) closed by an empty one,
// scanning the circle for 12 steps; 8 when a run of 9 or more is still open.
int SectorSpread(uint8_t occupied);

}  // namespace ridgecore
