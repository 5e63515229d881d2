#pragma once

#include <cstdint>

namespace ridgecore {

struct TraceEnd {
  int row, col;  // offset from the start
};

// Follows the skeleton from `start` for at most 10 steps, marking each pixel
// it leaves with `marker` and moving to the first neighbour whose value is
// below the marker (right, down-right, down, down-left, left, up-left, up,
// up-right). Pixels of value `keep` are never overwritten.
TraceEnd traceRidge(uint8_t* skeleton, int start, uint8_t marker, int keep = -1);

}  // namespace ridgecore
