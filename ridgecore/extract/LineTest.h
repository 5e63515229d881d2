#pragma once

#include <cstdint>

#include "extract/ExtractionTables.h"

namespace ridgecore {

// Binarisation, step 1: a pixel of a block with a direction is ridge (0)
// when its filtered value is above 251, or when the line along the ridge
// through it is brighter than both side lines half a period away by more than
// 3 per sample. Everything else is background (255).
void binariseByLineTest(const ExtractionTables& tables, const uint8_t* filtered, const uint8_t* directions,
                        const uint8_t* periods, uint8_t* binary);

}  // namespace ridgecore
