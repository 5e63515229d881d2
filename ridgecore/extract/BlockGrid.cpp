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
// holds and marks[] is 0; returns the number of blocks marked.
template <typename InRegion>
int floodFill(int start, uint8_t* marks, uint8_t label, InRegion inRegion) {
  int stack[kGridBlocks];
  int top = 0, size = 0;
  stack[top++] = start;
  marks[start] = label;
  while (top > 0) {
    const int b = stack[--top];
    ++size;
    for (int step : kFourNeighbours) {
      int n;
      if (fourNeighbour(b, step, n) && !marks[n] && inRegion(n)) {
        marks[n] = label;
        stack[top++] = n;
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
  int bestStart = -1, bestSize = 0;
  for (int b = 0; b < kGridBlocks; ++b) {
    if (!set[b] || marks[b]) continue;
    const int size = floodFill(b, marks, 1, [&](int n) { return set[n] != 0; });
    if (size > bestSize) {
      bestSize = size;
      bestStart = b;
    }
  }
  std::memset(marks, 0, sizeof marks);
  if (bestStart >= 0) floodFill(bestStart, marks, 1, [&](int n) { return set[n] != 0; });
  for (int b = 0; b < kGridBlocks; ++b) set[b] = marks[b];
  return bestSize;
}

void fillHoles(uint8_t* set) {
  uint8_t outside[kGridBlocks] = {};
  for (int b = 0; b < kGridBlocks; ++b) {
    if (onOuterRing(b) && !set[b] && !outside[b]) floodFill(b, outside, 1, [&](int n) { return set[n] == 0; });
  }
  for (int b = 0; b < kGridBlocks; ++b) {
    if (!set[b] && !outside[b]) set[b] = 1;
  }
}

void absorbSmallGaps(uint8_t* set, const uint8_t* candidates, int limit) {
  uint8_t marks[kGridBlocks] = {};
  for (int b = 0; b < kGridBlocks; ++b) {
    if (set[b] || !candidates[b] || marks[b]) continue;
    auto inGap = [&](int n) { return !set[n] && candidates[n] != 0; };
    uint8_t region[kGridBlocks] = {};
    const int size = floodFill(b, region, 1, inGap);
    for (int n = 0; n < kGridBlocks; ++n) {
      if (!region[n]) continue;
      marks[n] = 1;
      if (size < limit) set[n] = 1;
    }
  }
}

}  // namespace ridgecore::blockgrid
