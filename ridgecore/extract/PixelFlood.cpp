#include "extract/PixelFlood.h"

#include "extract/Allocation.h"

namespace ridgecore {

PixelFlood::PixelFlood() : stack_(allocateArray<int>(kImagePixels)) {}

}  // namespace ridgecore
