#include "extract/SmallRegions.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "extract/Geometry.h"

namespace ridgecore {
namespace {

constexpr int kSmallestHole = 100;
constexpr int kSmallestIsland = 50;

// The first column at or after c whose byte is not `value`, eight at a time where it can.
int skipWhile(const uint8_t* row, int c, uint8_t value) {
  const uint64_t all = 0x0101010101010101ull * value;
  while (c + 8 <= kImageSide) {
    uint64_t v;
    std::memcpy(&v, row + c, sizeof v);
    if (v != all) break;
    c += 8;
  }
  while (c < kImageSide && row[c] == value) ++c;
  return c;
}

// The regions of one value, found as horizontal runs joined to the runs of
// the row above that they touch (union-find over runs).
class RunRegions {
 public:
  RunRegions(const uint8_t* image, uint8_t value, bool eightConnected) {
    runs_.reserve(4096);
    const int reach = eightConnected ? 1 : 0;                      // diagonal contact joins 8-connected runs
    const uint8_t other = value == kRidge ? kBackground : kRidge;  // the image holds only these two
    int previousFirst = 0, previousEnd = 0;
    for (int r = 0; r < kImageSide; ++r) {
      const uint8_t* row = image + r * kImageSide;
      const int first = static_cast<int>(runs_.size());
      int above = previousFirst;
      for (int c = 0; c < kImageSide;) {
        c = skipWhile(row, c, other);
        if (c == kImageSide) break;
        const int start = c;
        c = skipWhile(row, c, value);
        const int index = static_cast<int>(runs_.size());
        runs_.push_back({r, start, c - 1, index, c - start});
        while (above < previousEnd && runs_[above].last + reach < start) ++above;
        for (int k = above; k < previousEnd && runs_[k].first - reach <= c - 1; ++k) join(k, index);
      }
      previousFirst = first;
      previousEnd = static_cast<int>(runs_.size());
    }
  }

  // Writes `replacement` over every region of fewer than `limit` pixels.
  void replaceSmall(uint8_t* image, int limit, uint8_t replacement) {
    for (std::size_t i = 0; i < runs_.size(); ++i) {
      if (runs_[root(static_cast<int>(i))].size >= limit) continue;
      uint8_t* row = image + runs_[i].row * kImageSide;
      for (int c = runs_[i].first; c <= runs_[i].last; ++c) row[c] = replacement;
    }
  }

 private:
  struct Run {
    int row, first, last;
    int parent, size;  // size is the region's at its root
  };

  int root(int i) {
    while (runs_[i].parent != i) {
      runs_[i].parent = runs_[runs_[i].parent].parent;
      i = runs_[i].parent;
    }
    return i;
  }

  void join(int a, int b) {
    a = root(a);
    b = root(b);
    if (a == b) return;
    if (a > b) std::swap(a, b);
    runs_[b].parent = a;
    runs_[a].size += runs_[b].size;
  }

  std::vector<Run> runs_;
};

}  // namespace

void removeSmallRegions(uint8_t* binary) {
  RunRegions(binary, kBackground, false).replaceSmall(binary, kSmallestHole, kRidge);
  RunRegions(binary, kRidge, true).replaceSmall(binary, kSmallestIsland, kBackground);
}

}  // namespace ridgecore
