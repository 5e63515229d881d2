#pragma once

#include <cstdint>

namespace ridgecore {

// Binarisation, step 3: background holes (4-connected) of fewer than 100
// pixels become ridge, then ridge islands (8-connected) of fewer than 50
// pixels become background.
void removeSmallRegions(uint8_t* binary);

}  // namespace ridgecore
