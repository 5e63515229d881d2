#include "extract/Smoothing.h"

#include <cstring>

#include "extract/Geometry.h"

namespace ridgecore {

void smoothImage(const uint8_t* image, uint8_t* smoothed) {
  std::memset(smoothed, 0, kImagePixels);
  // Running column sums: colSum[c] holds rows r-1..r+1 of column c.
  int colSum[kImageSide];
  for (int c = 0; c < kImageSide; ++c)
    colSum[c] = image[1 * kImageSide + c] + image[2 * kImageSide + c] + image[3 * kImageSide + c];
  for (int r = 2; r <= kImageSide - 3; ++r) {
    if (r > 2) {
      for (int c = 0; c < kImageSide; ++c)
        colSum[c] += image[(r + 1) * kImageSide + c] - image[(r - 2) * kImageSide + c];
    }
    uint8_t* out = smoothed + r * kImageSide;
    for (int c = 2; c <= kImageSide - 3; ++c)
      out[c] = static_cast<uint8_t>((colSum[c - 1] + colSum[c] + colSum[c + 1]) / 9);
  }
}

}  // namespace ridgecore
