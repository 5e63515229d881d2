#pragma once

#include <cstdint>

namespace ridgecore {

// Stage 1: 3 x 3 box mean (floor) for rows and columns 2..297; the two
// outermost rows and columns are 0.
void smoothImage(const uint8_t* image, uint8_t* smoothed);

}  // namespace ridgecore
