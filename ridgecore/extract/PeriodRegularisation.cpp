#include "extract/PeriodRegularisation.h"

#include <cstdlib>
#include <cstring>

#include "extract/Geometry.h"

namespace ridgecore {
namespace {

bool hasNeighbours(int b) {
  const int i = b / kGridSide, j = b % kGridSide;
  return i > 0 && j > 0 && i < kGridSide - 1 && j < kGridSide - 1;
}

// Sum and count of the nonzero periods among the eight neighbours.
void nonzeroNeighbours(const uint8_t* p, int b, int& sum, int& count) {
  sum = count = 0;
  if (!hasNeighbours(b)) return;
  for (int step : kBlockNeighbours) {
    if (p[b + step]) {
      sum += p[b + step];
      ++count;
    }
  }
}

}  // namespace

void regularisePeriods(const uint8_t* directions, uint8_t* periods) {
  for (int b = 0; b < kGridBlocks; ++b) {
    if (!hasDirection(directions[b])) {
      periods[b] = 0;
      continue;
    }
    if (!periods[b]) continue;
    int sum, count;
    nonzeroNeighbours(periods, b, sum, count);
    if (count && std::abs(periods[b] - sum / count) > 2) periods[b] = static_cast<uint8_t>(sum / count);
  }

  uint8_t copy[kGridBlocks];
  for (bool changed = true; changed;) {
    changed = false;
    std::memcpy(copy, periods, kGridBlocks);
    for (int b = 0; b < kGridBlocks; ++b) {
      if (!hasDirection(directions[b]) || copy[b]) continue;
      int sum, count;
      nonzeroNeighbours(copy, b, sum, count);
      if (!count) continue;
      periods[b] = static_cast<uint8_t>(sum / count);
      changed = true;
    }
  }

  for (int pass = 0; pass < 5; ++pass) {
    std::memcpy(copy, periods, kGridBlocks);
    for (int b = 0; b < kGridBlocks; ++b) {
      if (!hasDirection(directions[b])) continue;
      int sum, count;
      nonzeroNeighbours(copy, b, sum, count);
      periods[b] = static_cast<uint8_t>((copy[b] + sum) / (1 + count));
    }
  }
}

}  // namespace ridgecore
