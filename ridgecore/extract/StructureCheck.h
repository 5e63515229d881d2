#pragma once

#include <cstdint>

#include "extract/ContourTracer.h"
#include "extract/ExtractionTables.h"
#include "extract/PixelFlood.h"

namespace ridgecore {

// Binarisation, step 4: judges the ridge structure around every ridge region
// from the valley widths seen along its contour normals, votes per block, and
// takes the direction (255) from interior blocks outside the plausible area.
void checkRidgeStructure(const ExtractionTables& tables, const uint8_t* binary, uint8_t* directions,
                         ContourTracer& tracer, PixelFlood& flood);

}  // namespace ridgecore
