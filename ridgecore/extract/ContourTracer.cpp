#include "extract/ContourTracer.h"

#include "extract/Allocation.h"

namespace ridgecore {

ContourTracer::ContourTracer()
    : points_(allocateArray<int>(kCapacity)),
      rows_(allocateArray<int16_t>(kCapacity)),
      cols_(allocateArray<int16_t>(kCapacity)) {}

bool ContourTracer::isAcute(int index, int steps) const {
  const int i = wrap(index), before = wrap(index - steps), after = wrap(index + steps);
  const int ar = rows_[before] - rows_[i], ac = cols_[before] - cols_[i];
  const int br = rows_[after] - rows_[i], bc = cols_[after] - cols_[i];
  return ar * br + ac * bc > 0;
}

void ContourTracer::findSharpPoints(uint8_t* sharp) const {
  for (int i = 0; i < size_; ++i) sharp[i] = isAcute(i, 4) || isAcute(i, 8) ? 1 : 0;
}

}  // namespace ridgecore
