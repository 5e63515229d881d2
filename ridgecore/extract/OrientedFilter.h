#pragma once

#include <cstdint>

#include "extract/ExtractionTables.h"

namespace ridgecore {

// Stage 6: the smoothed image filtered along each block's ridge direction
// with the kernel of its period (7..17); pixels outside blocks with a
// direction keep the smoothed value.
void filterAlongRidges(const ExtractionTables& tables, const uint8_t* smoothed, const uint8_t* directions,
                       const uint8_t* periods, uint8_t* filtered);

}  // namespace ridgecore
