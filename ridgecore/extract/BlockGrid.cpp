#include "extract/BlockGrid.h"

#include <cstring>

#include "extract/Geometry.h"

namespace ridgecore::blockgrid {
namespace {

constexpr int kFourNeighbours[4] = {1, -1, kGridSide, -kGridSide};

bool onOuterRing(int b) {
  const int i = b / kGridSide, j = b % kGridSide;
  return i == 0 || j == 0 || i == kGridSide - 1 || j == kGridSide - 1;
}

bool fourNeighbour(int b, int step, int& n) {
  const int j = b % kGridSide;
  if ((step == 1 && j == kGridSide - 1) || (step == -1 && j == 0)) return false;
  n = b + step;
  return n >= 0 && n < kGridBlocks;
}

// Marks with `label` every block 4-connected to `start` for which inRegion
// holds and marks[] is 0; lists them in `region` and returns their number.
template <typename InRegion>
int floodFill(int start, uint8_t* marks, uint8_t label, InRegion inRegion, int* region) {
  int size = 0;
  region[size++] = start;
  marks[start] = label;
  for (int next = 0; next < size; ++next) {
    const int b = region[next];
    for (int step : kFourNeighbours) {
      int n;
      if (fourNeighbour(b, step, n) && !marks[n] && inRegion(n)) {
        marks[n] = label;
        region[size++] = n;
      }
    }
  }
  return size;
}

void applyNeighbourhood(uint8_t* set, bool all) {
  uint8_t copy[kGridBlocks];
  std::memcpy(copy, set, kGridBlocks);
  for (int i = 0; i < kGridSide; ++i) {
    for (int j = 0; j < kGridSide; ++j) {
      const int b = i * kGridSide + j;
      if (onOuterRing(b)) {
        set[b] = 0;
        continue;
      }
      bool result = copy[b] != 0;
      for (int step : kBlockNeighbours) {
        const bool member = copy[b + step] != 0;
        result = all ? (result && member) : (result || member);
      }
      set[b] = result ? 1 : 0;
    }
  }
}

}  // namespace

void erode(uint8_t* set) { applyNeighbourhood(set, true); }

void dilate(uint8_t* set) { applyNeighbourhood(set, false); }

int keepLargestRegion(uint8_t* set) {
  uint8_t marks[kGridBlocks] = {};
  int region[kGridBlocks];
  int bestStart = -1, bestSize = 0;
  for (int b = 0; b < kGridBlocks; ++b) {
    if (!set[b] || marks[b]) continue;
    const int size = floodFill(
        b, marks, 1, [&](int n) { return set[n] != 0; }, region);
    if (size > bestSize) {
      bestSize = size;
      bestStart = b;
    }
  }
  if (bestStart < 0) return 0;
  std::memset(marks, 0, sizeof marks);
  const int size = floodFill(
      bestStart, marks, 1, [&](int n) { return set[n] != 0; }, region);
  std::memset(set, 0, kGridBlocks);
  for (int i = 0; i < size; ++i) set[region[i]] = 1;
  return bestSize;
}

void fillHoles(uint8_t* set) {
  uint8_t outside[kGridBlocks] = {};
  int region[kGridBlocks];
  for (int b = 0; b < kGridBlocks; ++b) {
    if (onOuterRing(b) && !set[b] && !outside[b]) {
      floodFill(
          b, outside, 1, [&](int n) { return set[n] == 0; }, region);
    }
  }
  for (int b = 0; b < kGridBlocks; ++b) {
    if (!set[b] && !outside[b]) set[b] = 1;
  }
}

void absorbSmallGaps(uint8_t* set, const uint8_t* candidates, int limit) {
  uint8_t marks[kGridBlocks] = {};
  int region[kGridBlocks];
  for (int b = 0; b < kGridBlocks; ++b) {
    if (set[b] || !candidates[b] || marks[b]) continue;
    const int size = floodFill(
        b, marks, 1, [&](int n) { return !set[n] && candidates[n] != 0; }, region);
    if (size >= limit) continue;
    for (int i = 0; i < size; ++i) set[region[i]] = 1;
  }
}

}  // namespace ridgecore::blockgrid
