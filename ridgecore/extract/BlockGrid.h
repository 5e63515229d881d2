#pragma once

#include <cstdint>

// Morphology and regions on the 60 x 60 block grid. A set is one byte per
// block, nonzero = member.
namespace ridgecore::blockgrid {

// Keeps a block of rows and columns 1..58 when it and its eight neighbours
// are members; the outermost ring is emptied.
void erode(uint8_t* set);
// Adds a block of rows and columns 1..58 when one of its eight neighbours is a member.
void dilate(uint8_t* set);
// Keeps only the largest 4-connected region (the first in raster order on a
// tie) and returns its size in blocks, 0 when the set is empty.
int keepLargestRegion(uint8_t* set);
// Adds every non-member region that is not 4-connected to the outermost ring.
void fillHoles(uint8_t* set);
// Adds every 4-connected region of `candidates` (blocks outside the set) that
// has fewer than `limit` blocks.
void absorbSmallGaps(uint8_t* set, const uint8_t* candidates, int limit);

}  // namespace ridgecore::blockgrid
