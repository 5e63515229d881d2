#pragma once

#include <cstdint>

#include "extract/ExtractionObserver.h"
#include "extract/ExtractionTables.h"

namespace ridgecore {

// Stage 7: the filtered image to a one-pixel skeleton (0 skeleton, 255
// background) written into `skeleton`; blocks whose ridge structure is
// implausible lose their direction.
void binariseAndThin(const ExtractionTables& tables, const uint8_t* filtered, const BlockMaps& maps, uint8_t* skeleton,
                     ExtractionObserver* observer);

}  // namespace ridgecore
