#pragma once

#include <cstdint>

namespace ridgecore {

// Stage 4: the finger area from the period map. Background blocks lose their
// direction (255) and get mask 0; rim blocks get direction + 64 and mask 128;
// interior blocks keep their direction and contrast.
void segmentFingerArea(uint8_t* directions, const uint8_t* periods, uint8_t* classes, uint8_t* mask);

}  // namespace ridgecore
