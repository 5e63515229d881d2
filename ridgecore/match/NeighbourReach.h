#pragma once

#include "match/MatchMinutia.h"

namespace ridgecore {

// Fills the reach of every minutia of a prepared list (once; a no-op when
// already filled). The searched list of a comparison needs it.
void IndexNeighbourReach(MatchList& list);

// The bin (0..15) of a unit angle, and the bins byte of a link.
inline int AngleBin(int units) { return (units & 511) >> 5; }
inline uint8_t LinkBins(int direction, int orientation) {
  return uint8_t(AngleBin(direction) << 4 | AngleBin(orientation));
}

// The searched minutia's neighbours that a scanned neighbour may pair with:
// within distance tolerance exactly, near in relative direction and
// orientation as a superset. Needs the reach indexed.
inline uint32_t ReachableNeighbours(const NeighbourReach& reach, const NeighbourLink& scanned) {
  // Links are never longer than the radius; the bound only keeps a bad link inside the table.
  return reach.byDistance[scanned.distance <= kMaxNeighbourDistance ? scanned.distance : kMaxNeighbourDistance] &
         reach.byBins[scanned.bins];
}

// The same the slow way, without the index: all within distance tolerance.
uint32_t ReachableNeighboursUnindexed(const MatchMinutia& searched, const NeighbourLink& scanned);

}  // namespace ridgecore
