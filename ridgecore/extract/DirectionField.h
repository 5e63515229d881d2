#pragma once

#include <cstdint>

namespace ridgecore {

// Stage 2: block ridge directions from Prewitt gradients over 17 x 17 windows,
// smoothed once over 5 x 5 blocks. Blocks 2..57 get 0..63, the two outer rings 255.
void computeDirectionField(const uint8_t* smoothed, uint8_t* directions);

}  // namespace ridgecore
