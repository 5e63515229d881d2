#include "extract/OrientedFilter.h"

#include <algorithm>
#include <cstring>

#include "extract/Geometry.h"

namespace ridgecore {

void filterAlongRidges(const ExtractionTables& tables, const uint8_t* smoothed, const uint8_t* directions,
                       const uint8_t* periods, uint8_t* filtered) {
  std::memcpy(filtered, smoothed, kImagePixels);
  for (int r = 8; r <= 291; ++r) {
    for (int c = 8; c <= 291; ++c) {
      const int pixel = r * kImageSide + c;
      const int b = blockOfPixel(pixel);
      if (!hasDirection(directions[b])) continue;
      const int kernel = std::clamp(periods[b] - 7, 0, ExtractionTables::kPeriods - 1);
      const int* offsets = tables.filterOffset[directionIndex(directions[b])];
      const int* weights = tables.filterWeight[kernel];
      int sum = 0;
      for (int t = 0; t < ExtractionTables::kTaps; ++t) sum += weights[t] * smoothed[pixel + offsets[t]];
      filtered[pixel] = static_cast<uint8_t>(std::clamp(sum / tables.filterSum[kernel], 0, 255));
    }
  }
}

}  // namespace ridgecore
