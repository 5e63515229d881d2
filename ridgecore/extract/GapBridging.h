#pragma once

#include <cstdint>

#include "extract/ContourTracer.h"
#include "extract/PixelFlood.h"

namespace ridgecore {

// Binarisation, step 2: ridge ends (tips of sharp contour runs) in interior
// blocks grow a narrow cone up to 3 pixels beyond the tip; when the cone
// touches another sharp run, it becomes ridge.
void bridgeGaps(uint8_t* binary, const uint8_t* directions, ContourTracer& tracer, PixelFlood& flood);

}  // namespace ridgecore
