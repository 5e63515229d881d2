#pragma once

#include <cstdint>

#include "extract/ExtractionTables.h"

namespace ridgecore {

// Stage 3: ridge period and contrast of blocks 4..55 from a 32-sample
// signature across the ridges, contrast normalised to 0..255 into the mask.
// Returns false when the quality gate rejects the image ("Ambient Light!!!").
bool measureRidgePeriod(const ExtractionTables& tables, const uint8_t* smoothed, const uint8_t* directions,
                        uint8_t* periods, uint8_t* mask);

// The period read from a smoothed signature: 0 when no third valley or peak
// run appears; valley spacing is reported 4 larger than peak spacing.
int periodOfSignature(const int* s);

}  // namespace ridgecore
