#pragma once

#include <cstdint>

namespace ridgecore {

// Binarisation, step 5: Hilditch thinning (8-connectivity) of the ridge
// pixels (0) of rows and columns 1..298 down to one-pixel-wide lines.
void thinRidges(uint8_t* binary);

// Yokoi's 8-connectivity number of a neighbourhood given as ridge bits:
// bit 0 right, then counter-clockwise (up-right, up, ..., down-right).
int connectivityNumber(unsigned neighbours);

}  // namespace ridgecore
