#include "extract/RidgeTracing.h"

#include "extract/Geometry.h"

namespace ridgecore {
namespace {
constexpr int kSteps = 10;
constexpr int kRowStep[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int kColStep[8] = {1, 1, 0, -1, -1, -1, 0, 1};
}  // namespace

TraceEnd traceRidge(uint8_t* skeleton, int start, uint8_t marker, int keep) {
  int r = start / kImageSide, c = start % kImageSide;
  const int r0 = r, c0 = c;
  for (int step = 0; step < kSteps; ++step) {
    uint8_t& here = skeleton[r * kImageSide + c];
    if (here != keep) here = marker;
    int k = 0;
    for (; k < 8; ++k) {
      const int nr = r + kRowStep[k], nc = c + kColStep[k];
      if (nr < 0 || nc < 0 || nr >= kImageSide || nc >= kImageSide) continue;
      if (skeleton[nr * kImageSide + nc] < marker) break;
    }
    if (k == 8) break;
    r += kRowStep[k];
    c += kColStep[k];
  }
  return {r - r0, c - c0};
}

}  // namespace ridgecore
