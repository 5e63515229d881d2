#pragma once

#include <cstdint>
#include <memory>

#include "extract/Geometry.h"

namespace ridgecore {

// Outer contour of a region of the 300 x 300 image: a heading-driven walk
// that hugs the region boundary, starting at the leftmost pixel of the start
// pixel's horizontal run, heading down. Points are pixel indices.
class ContourTracer {
 public:
  static constexpr int kCapacity = 32768;

  ContourTracer();

  // Traces the contour of the region that inRegion(pixel) describes and
  // returns its number of points (at least 1).
  template <typename InRegion>
  int trace(int start, InRegion inRegion);

  const int* points() const { return points_.get(); }
  int size() const { return size_; }
  int point(int index) const { return points_[wrap(index)]; }
  int row(int index) const { return rows_[wrap(index)]; }
  int col(int index) const { return cols_[wrap(index)]; }
  int wrap(int index) const {
    if (index >= 0 && index < size_) return index;
    return ((index % size_) + size_) % size_;
  }

  // A point is sharp when, 4 or 8 steps either way along the (closed)
  // contour, the two points lie less than 90 degrees apart as seen from it.
  void findSharpPoints(uint8_t* sharp) const;
  // The angle at point `index` between the points `steps` before and after
  // it is below 90 degrees.
  bool isAcute(int index, int steps) const;

 private:
  void append(int pixel, int r, int c) {
    points_[size_] = pixel;
    rows_[size_] = static_cast<int16_t>(r);
    cols_[size_] = static_cast<int16_t>(c);
    ++size_;
  }

  std::unique_ptr<int[]> points_;
  std::unique_ptr<int16_t[]> rows_, cols_;
  int size_ = 0;
};

namespace contour {
// Headings 0 right, 1 up-right, 2 up, 3 up-left, 4 left, 5 down-left, 6 down, 7 down-right.
inline constexpr int kColStep[8] = {1, 1, 0, -1, -1, -1, 0, 1};
inline constexpr int kRowStep[8] = {0, -1, -1, -1, 0, 1, 1, 1};
}  // namespace contour

template <typename InRegion>
int ContourTracer::trace(int start, InRegion inRegion) {
  int r = start / kImageSide, c = start % kImageSide;
  while (c > 0 && inRegion(start - 1)) {
    --start;
    --c;
  }
  size_ = 0;
  append(start, r, c);
  int heading = 6;
  int pos = start;
  while (size_ < kCapacity) {
    bool moved = false;
    for (int turn = 0; turn < 5 && !moved; ++turn) {
      for (int delta = -1; delta <= 1; ++delta) {
        const int h = (heading + delta + 8) & 7;
        const int nr = r + contour::kRowStep[h], nc = c + contour::kColStep[h];
        if (nr < 0 || nc < 0 || nr >= kImageSide || nc >= kImageSide) continue;
        const int next = nr * kImageSide + nc;
        if (!inRegion(next)) continue;
        r = nr;
        c = nc;
        pos = next;
        if (delta == -1) heading = (heading + 6) & 7;
        moved = true;
        break;
      }
      if (!moved) heading = (heading + 2) & 7;
    }
    if (!moved || pos == start) break;
    append(pos, r, c);
  }
  return size_;
}

}  // namespace ridgecore
