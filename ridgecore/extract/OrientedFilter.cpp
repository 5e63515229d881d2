#include "extract/OrientedFilter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "extract/Geometry.h"

namespace ridgecore {
namespace {

// One block's kernel: merged taps and their paired weights.
struct Kernel {
  const int* offsets;
  const int32_t* pairWeights;
  int pairs;
  int divisor;
  int bias;  // added after the division
};

uint8_t filteredValue(int sum, const Kernel& k) {
  return static_cast<uint8_t>(std::clamp(k.bias + sum / k.divisor, 0, 255));
}

Kernel kernelOf(const ExtractionTables& tables, int period, int d, FilterGain gain) {
  const int pairs = tables.mergedCount[d] / 2;
  switch (gain) {
    case FilterGain::AbsoluteKernelSum:
      return Kernel{tables.mergedOffset[d], tables.mergedPairWeight[period][d], pairs,
                    std::abs(tables.filterSum[period]), 0};
    case FilterGain::ZeroMeanTunedGain:
      return Kernel{tables.mergedOffset[d], tables.zeroMeanPairWeight[period][d], pairs, tables.tunedGain[period], 128};
    case FilterGain::KernelSum:
      break;
  }
  return Kernel{tables.mergedOffset[d], tables.mergedPairWeight[period][d], pairs, tables.filterSum[period], 0};
}

int16_t lowWeight(int32_t pair) { return static_cast<int16_t>(pair & 0xFFFF); }
int16_t highWeight(int32_t pair) { return static_cast<int16_t>(static_cast<uint32_t>(pair) >> 16); }

void filterPixel(const uint8_t* smoothed, uint8_t* filtered, int pixel, const Kernel& k) {
  int sum = 0;
  for (int t = 0; t < k.pairs; ++t) {
    sum += lowWeight(k.pairWeights[t]) * smoothed[pixel + k.offsets[2 * t]] +
           highWeight(k.pairWeights[t]) * smoothed[pixel + k.offsets[2 * t + 1]];
  }
  filtered[pixel] = filteredValue(sum, k);
}

// The 25 pixels of a block whose kernel stays inside the image: each row of
// five as one 8-wide vector of 16-bit products summed in pairs of taps.
void filterBlock(const uint8_t* smoothed, uint8_t* filtered, int topLeft, const Kernel& k) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (int y = 0; y < kBlockSide; ++y) {
    const uint8_t* row = smoothed + topLeft + y * kImageSide;
    __m128i first = zero, last = zero;
    for (int t = 0; t < k.pairs; ++t) {
      const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + k.offsets[2 * t]));
      const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + k.offsets[2 * t + 1]));
      const __m128i ab = _mm_unpacklo_epi8(a, b);
      const __m128i w = _mm_set1_epi32(k.pairWeights[t]);
      first = _mm_add_epi32(first, _mm_madd_epi16(_mm_unpacklo_epi8(ab, zero), w));
      last = _mm_add_epi32(last, _mm_madd_epi16(_mm_unpackhi_epi8(ab, zero), w));
    }
    alignas(16) int sums[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(sums), first);
    _mm_store_si128(reinterpret_cast<__m128i*>(sums + 4), last);
    uint8_t* out = filtered + topLeft + y * kImageSide;
    for (int x = 0; x < kBlockSide; ++x) out[x] = filteredValue(sums[x], k);
  }
#else
  for (int y = 0; y < kBlockSide; ++y) {
    for (int x = 0; x < kBlockSide; ++x) filterPixel(smoothed, filtered, topLeft + y * kImageSide + x, k);
  }
#endif
}

}  // namespace

void filterAlongRidges(const ExtractionTables& tables, const uint8_t* smoothed, const uint8_t* directions,
                       const uint8_t* periods, uint8_t* filtered, FilterGain gain) {
  std::memcpy(filtered, smoothed, kImagePixels);
  for (int i = 1; i < kGridSide - 1; ++i) {
    for (int j = 1; j < kGridSide - 1; ++j) {
      const int b = i * kGridSide + j;
      if (!hasDirection(directions[b])) continue;
      const int d = directionIndex(directions[b]);
      const int period = std::clamp(periods[b] - 7, 0, ExtractionTables::kPeriods - 1);
      const Kernel kernel = kernelOf(tables, period, d, gain);
      const int top = kBlockSide * i, left = kBlockSide * j;
      // Blocks 3..56 keep every tap and the vector's spare lanes inside the image.
      if (i >= 3 && i <= 56 && j >= 3 && j <= 56) {
        filterBlock(smoothed, filtered, top * kImageSide + left, kernel);
        continue;
      }
      // Segmentation never leaves a direction on blocks this close to the edge;
      // should a map do so, only pixels whose taps all lie inside are filtered.
      for (int r = std::max(top, 9); r <= std::min(top + kBlockSide - 1, 290); ++r) {
        for (int c = std::max(left, 9); c <= std::min(left + kBlockSide - 1, 290); ++c) {
          filterPixel(smoothed, filtered, r * kImageSide + c, kernel);
        }
      }
    }
  }
}

}  // namespace ridgecore
