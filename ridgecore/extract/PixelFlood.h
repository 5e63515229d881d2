#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "extract/Geometry.h"

namespace ridgecore {

// The first ridge (0) pixel at or after `from`, kImagePixels when none.
inline int nextRidge(const uint8_t* image, int from) {
  if (from >= kImagePixels) return kImagePixels;
  const void* found = std::memchr(image + from, kRidge, static_cast<std::size_t>(kImagePixels - from));
  return found ? static_cast<int>(static_cast<const uint8_t*>(found) - image) : kImagePixels;
}

// Region filling on the 300 x 300 image, breadth first; the pixels of the
// last region stay listed in the order they were reached.
class PixelFlood {
 public:
  PixelFlood();

  // Marks `start` and every pixel connected to it (8- or 4-neighbourhood)
  // for which inRegion holds; mark(p) must make inRegion(p) false. Returns
  // the number of pixels marked.
  template <typename InRegion, typename Mark>
  int fill(int start, bool eightConnected, InRegion inRegion, Mark mark) {
    static constexpr int kFour[4] = {-kImageSide, -1, 1, kImageSide};
    static constexpr int kEight[8] = {-kImageSide - 1, -kImageSide, -kImageSide + 1, -1, 1,
                                      kImageSide - 1,  kImageSide,  kImageSide + 1};
    const int* steps = eightConnected ? kEight : kFour;
    const int stepCount = eightConnected ? 8 : 4;
    int size = 0;
    mark(start);
    pixels_[size++] = start;
    for (int next = 0; next < size; ++next) {
      const int p = pixels_[next];
      const int r = p / kImageSide, c = p - r * kImageSide;
      if (r > 0 && c > 0 && r < kImageSide - 1 && c < kImageSide - 1) {
        for (int k = 0; k < stepCount; ++k) {
          const int n = p + steps[k];
          if (inRegion(n)) {
            mark(n);
            pixels_[size++] = n;
          }
        }
        continue;
      }
      for (int dr = -1; dr <= 1; ++dr) {
        for (int dc = -1; dc <= 1; ++dc) {
          if ((dr == 0 && dc == 0) || (!eightConnected && dr != 0 && dc != 0)) continue;
          const int nr = r + dr, nc = c + dc;
          if (nr < 0 || nc < 0 || nr >= kImageSide || nc >= kImageSide) continue;
          const int n = nr * kImageSide + nc;
          if (inRegion(n)) {
            mark(n);
            pixels_[size++] = n;
          }
        }
      }
    }
    return size;
  }

  // The pixels of the last filled region.
  const int* pixels() const { return pixels_.get(); }

 private:
  std::unique_ptr<int[]> pixels_;
};

}  // namespace ridgecore
