#include "extract/ContourTracer.h"

#include "extract/Allocation.h"

namespace ridgecore {

ContourTracer::ContourTracer() : points_(allocateArray<int>(kCapacity)) {}

bool ContourTracer::isAcute(int index, int steps) const {
  const int p = point(index), before = point(index - steps), after = point(index + steps);
  const int pr = p / kImageSide, pc = p % kImageSide;
  const int ar = before / kImageSide - pr, ac = before % kImageSide - pc;
  const int br = after / kImageSide - pr, bc = after % kImageSide - pc;
  return ar * br + ac * bc > 0;
}

void ContourTracer::findSharpPoints(uint8_t* sharp) const {
  for (int i = 0; i < size_; ++i) sharp[i] = isAcute(i, 4) || isAcute(i, 8) ? 1 : 0;
}

}  // namespace ridgecore
