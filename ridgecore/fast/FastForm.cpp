#include "fast/FastForm.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "fast/FastTables.h"
#include "match/FixedSort.h"

namespace ridgecore {
namespace {

// Neighbours are collected in four rings; a minutia inside an inner ring is
// listed again by every outer ring, until the 25 entries are used.
constexpr int kRings[] = {2500, 5000, 7500, 10000};

struct SourceMinutia {
  int x, y, direction;  // record units, direction 0..127
};

constexpr int kRingCount = 4;
constexpr int kDistances = 128;  // a neighbour lies at most 100 away

void collectNeighbours(const SourceMinutia* source, int n, int i, FastMinutia& out) {
  // within[p]: the minutiae inside ring p, and so inside every outer one.
  uint64_t within[kRingCount] = {};
  for (int j = 0; j < n; ++j) {
    const int dx = source[j].x - source[i].x;
    const int dy = source[j].y - source[i].y;
    const int squared = dx * dx + dy * dy;
    for (int p = 0; p < kRingCount; ++p) within[p] |= uint64_t(squared <= kRings[p]) << j;
  }
  for (uint64_t& w : within) w &= ~(uint64_t{1} << i);
  // Ring by ring, each in source order, until the slots are used; every
  // neighbour's entry is made once for all its copies.
  FastNeighbour entry[RIDGECORE_MAX_MINUTIAE];
  uint64_t made = 0;
  FastNeighbour listed[kFastNeighbourSlots];
  int count = 0;
  for (int p = 0; p < kRingCount && count < kFastNeighbourSlots; ++p) {
    for (uint64_t m = within[p]; m && count < kFastNeighbourSlots; m &= m - 1) {
      const int j = std::countr_zero(m);
      if (!(made & (uint64_t{1} << j))) {
        entry[j] = MakeFastNeighbour(source[i].x, source[i].y, source[i].direction, source[j].x, source[j].y,
                                     source[j].direction, j);
        made |= uint64_t{1} << j;
      }
      listed[count++] = entry[j];
    }
  }
  // Nearest first, equal distances in listed order: a counting sort.
  uint8_t first[kDistances + 1] = {};
  for (int k = 0; k < count; ++k) ++first[listed[k].distance + 1];
  for (int d = 1; d <= kDistances; ++d) first[d] = uint8_t(first[d] + first[d - 1]);
  for (int k = 0; k < count; ++k) out.neighbours[first[listed[k].distance]++] = listed[k];
  out.neighbourCount = uint8_t(count);
  for (int k = count; k < kFastNeighbourSlots; ++k) out.neighbours[k] = FastNeighbour{kFastEmptyDistance, 0, 0, 0};
}

}  // namespace

int FastMinutiaCount(const tagFASTFDATA& record) {
  return record.count > RIDGECORE_MAX_MINUTIAE ? RIDGECORE_MAX_MINUTIAE : record.count;
}

FastNeighbour MakeFastNeighbour(int x, int y, int direction, int nx, int ny, int nd, int index) {
  const int dx = nx - x;
  const int dy = ny - y;
  FastNeighbour entry;
  entry.distance = uint8_t(FastSqrt(dx * dx + dy * dy));
  entry.relativeDirection = int8_t(Wrap512(FastAtan(dy, dx) - 4 * direction) / 4);
  entry.relativeOrientation = int8_t(Wrap512(4 * (direction - nd)) / 4);
  entry.index = uint8_t(index);
  return entry;
}

void SortFastNeighbours(FastNeighbour* entries, int count) {
  StableSort(entries, count,
             [](const FastNeighbour& a, const FastNeighbour& b) { return int8_t(a.distance) < int8_t(b.distance); });
}

void ToFastForm(const tagFDATA& source, tagFASTFDATA& out) {
  out.count = 0;
  const int n = source.count > RIDGECORE_MAX_MINUTIAE ? RIDGECORE_MAX_MINUTIAE : source.count;
  SourceMinutia minutiae[RIDGECORE_MAX_MINUTIAE];
  for (int i = 0; i < n; ++i)
    minutiae[i] = SourceMinutia{source.minutiae[i].x, source.minutiae[i].y, source.minutiae[i].typeDir >> 1};
  uint8_t order[RIDGECORE_MAX_MINUTIAE];
  for (int i = 0; i < n; ++i) order[i] = uint8_t(i);
  StableSort(order, n, [&minutiae](uint8_t a, uint8_t b) {
    return minutiae[a].x != minutiae[b].x ? minutiae[a].x < minutiae[b].x : minutiae[a].y < minutiae[b].y;
  });
  FastMinutia* records = FastMinutiae(out);
  for (int k = 0; k < n; ++k) {
    const SourceMinutia& m = minutiae[order[k]];
    FastMinutia& r = records[k];
    r.x = uint8_t(m.x);
    r.y = uint8_t(m.y);
    r.direction = int8_t(FastDirection(m.direction));
    collectNeighbours(minutiae, n, order[k], r);
  }
  std::memset(out.zero, 0, sizeof out.zero);
  out.count = uint8_t(n);
}

}  // namespace ridgecore
