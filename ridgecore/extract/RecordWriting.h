#pragma once

#include <cstdint>

#include "ridgecore.h"

namespace ridgecore {

// Writes the surviving minutiae of blocks 3..56 into the record: all
// bifurcations, then all endings, at most 50; directions from ridge traces.
// Only the count and the first three bytes of each entry are written.
void writeMinutiae(uint8_t* skeleton, const uint8_t* mask, tagFDATA& record);

// Direction index 0..127 of a (row, column) vector.
int directionOfVector(int row, int col);

}  // namespace ridgecore
