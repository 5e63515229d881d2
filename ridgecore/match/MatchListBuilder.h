#pragma once

#include "match/MatchMinutia.h"
#include "ridgecore.h"

namespace ridgecore {

// A feature record into its working list: minutiae, crowding and both
// neighbour passes. The record's validity mark is not read (template slots
// carry none).
void PrepareMatchList(const tagFDATA& record, MatchList& list);

// The single stages, in the order PrepareMatchList runs them.
void UnpackMinutiae(const tagFDATA& record, MatchList& list);
void ComputeCrowding(MatchList& list);
void RunNeighbourPasses(MatchList& list);

}  // namespace ridgecore
