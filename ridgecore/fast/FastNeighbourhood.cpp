#include "fast/FastNeighbourhood.h"

namespace ridgecore {
namespace {

constexpr uint8_t kSignFlip = 0x80;

}  // namespace

void LoadNeighbourLanes(const FastMinutia& m, NeighbourLanes& out) {
  const int count = FastNeighbourCount(m);
  std::memset(&out, 0, sizeof out);
  for (int j = 0; j < count; ++j) {
    out.distance[j] = uint8_t(m.neighbours[j].distance ^ kSignFlip);
    out.direction[j] = uint8_t(uint8_t(m.neighbours[j].relativeDirection) ^ kSignFlip);
    out.orientation[j] = uint8_t(uint8_t(m.neighbours[j].relativeOrientation) ^ kSignFlip);
  }
  out.present = (1u << count) - 1;
  for (int half = 0; half < 2; ++half) {
    out.nearest[half] = 0xFF;
    out.farthest[half] = 0;
    for (int j = 16 * half; j < count && j < 16 * (half + 1); ++j) {
      out.nearest[half] = std::min(out.nearest[half], out.distance[j]);
      out.farthest[half] = std::max(out.farthest[half], out.distance[j]);
    }
  }
}

NeighbourhoodMatch CompareNeighbourhoods(const FastMinutia& a, const FastMinutia& b, int needed) {
  NeighbourLanes lanes;
  LoadNeighbourLanes(b, lanes);
  return AssignNeighbours(a, b, needed, [&lanes](const FastNeighbour& na) { return LanePartners(lanes, na); });
}

bool FastHasAvx2() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}

}  // namespace ridgecore
