#include "extract/PixelFlood.h"

#include "extract/Allocation.h"

namespace ridgecore {

PixelFlood::PixelFlood() : pixels_(allocateArray<int>(kImagePixels)) {}

}  // namespace ridgecore
