#pragma once

#include <memory>

#include "extract/Geometry.h"

namespace ridgecore {

// Region filling on the 300 x 300 image with a stack of its own.
class PixelFlood {
 public:
  PixelFlood();

  // Marks `start` and every pixel connected to it (8- or 4-neighbourhood)
  // for which inRegion holds; mark(p) must make inRegion(p) false. Returns
  // the number of pixels marked.
  template <typename InRegion, typename Mark>
  int fill(int start, bool eightConnected, InRegion inRegion, Mark mark) {
    int top = 0, size = 0;
    mark(start);
    stack_[top++] = start;
    while (top > 0) {
      const int p = stack_[--top];
      ++size;
      const int r = p / kImageSide, c = p % kImageSide;
      for (int dr = -1; dr <= 1; ++dr) {
        for (int dc = -1; dc <= 1; ++dc) {
          if ((dr == 0 && dc == 0) || (!eightConnected && dr != 0 && dc != 0)) continue;
          const int nr = r + dr, nc = c + dc;
          if (nr < 0 || nc < 0 || nr >= kImageSide || nc >= kImageSide) continue;
          const int n = nr * kImageSide + nc;
          if (inRegion(n)) {
            mark(n);
            stack_[top++] = n;
          }
        }
      }
    }
    return size;
  }

 private:
  std::unique_ptr<int[]> stack_;
};

}  // namespace ridgecore
