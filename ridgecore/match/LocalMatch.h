#pragma once

#include <cstdint>

#include "match/MatchMinutia.h"

namespace ridgecore {

// Which neighbours of a scanned minutia s may stand for which neighbours of
// a searched minutia t, with the cost of each such candidate.
struct CandidateMatrix {
  int scannedCount = 0;                                  // neighbours of s
  int searchedCount = 0;                                 // neighbours of t
  int total = 0;                                         // kept candidates
  uint32_t row[kMaxKeptNeighbours];                      // bit j: (i, j) is a candidate
  uint32_t column[kMaxKeptNeighbours];                   // bit i: (i, j) is a candidate
  int32_t cost[kMaxKeptNeighbours][kMaxKeptNeighbours];  // read only where the bit is set
  uint8_t scannedCandidates[kMaxKeptNeighbours];         // candidates of scanned neighbour i
  uint8_t searchedCandidates[kMaxKeptNeighbours];        // candidates of searched neighbour j
  int16_t scannedDirection[kMaxKeptNeighbours];  // relative direction of scanned neighbour i (rows with candidates)

  void reset(int scanned, int searched);
  bool isCandidate(int i, int j) const { return (row[i] >> j) & 1u; }
  void add(int i, int j, int32_t c);
};

// The outcome of comparing two neighbourhoods.
struct LocalMatch {
  int pairs = 0;                                  // n: paired neighbours
  float cost = 0;                                 // mean cost of the pairings, 0..~1
  int spread = 0;                                 // longest run of occupied direction sectors, 0..8
  int assigned = 0;                               // pairings listed below (0 when too few candidates)
  uint8_t scannedNeighbour[kMaxKeptNeighbours];   // position i in s's list
  uint8_t searchedNeighbour[kMaxKeptNeighbours];  // position j in t's list
};

}  // namespace ridgecore
