#include "extract/LineTest.h"

#include <algorithm>
#include <cstring>

#include "extract/Geometry.h"

namespace ridgecore {

void binariseByLineTest(const ExtractionTables& tables, const uint8_t* filtered, const uint8_t* directions,
                        const uint8_t* periods, uint8_t* binary) {
  std::memset(binary, kBackground, kImagePixels);
  for (int r = 5; r <= 295; ++r) {
    for (int c = 5; c <= 295; ++c) {
      const int pixel = r * kImageSide + c;
      const int b = blockOfPixel(pixel);
      if (!hasDirection(directions[b])) continue;
      const int value = filtered[pixel];
      if (value > 251) {
        binary[pixel] = kRidge;
        continue;
      }
      if (value < 5) continue;
      const int d = directionIndex(directions[b]);
      const int w = std::clamp(periods[b] / 2, 3, 8) - 3;
      const int* centre = tables.lineCentre[d];
      const int* sideA = tables.lineSideA[d][w];
      const int* sideB = tables.lineSideB[d][w];
      int centreSum = 0, sumA = 0, sumB = 0;
      for (int k = 0; k < ExtractionTables::kLineSamples; ++k) {
        centreSum += filtered[pixel + centre[k]];
        sumA += filtered[pixel + sideA[k]];
        sumB += filtered[pixel + sideB[k]];
      }
      if (centreSum - sumA > 27 && centreSum - sumB > 27) binary[pixel] = kRidge;
    }
  }
}

}  // namespace ridgecore
