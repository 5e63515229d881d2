#include "fast/FastNeighbourhood.h"

#include <emmintrin.h>

namespace ridgecore {
namespace {

constexpr uint8_t kSignFlip = 0x80;

// |x - y| of two byte vectors, exact as unsigned values.
__m128i absoluteDifference(__m128i x, __m128i y) { return _mm_or_si128(_mm_subs_epu8(x, y), _mm_subs_epu8(y, x)); }

__m128i atMost(__m128i v, __m128i limit) { return _mm_cmpeq_epi8(_mm_min_epu8(v, limit), v); }
__m128i atLeast(__m128i v, __m128i limit) { return _mm_cmpeq_epi8(_mm_max_epu8(v, limit), v); }

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
}

uint32_t LanePartners(const NeighbourLanes& lanes, const FastNeighbour& na) {
  const FastParams& p = fastParams();
  const __m128i e = _mm_set1_epi8(char(na.distance ^ kSignFlip));
  const __m128i rd = _mm_set1_epi8(char(uint8_t(na.relativeDirection) ^ kSignFlip));
  const __m128i ro = _mm_set1_epi8(char(uint8_t(na.relativeOrientation) ^ kSignFlip));
  const __m128i reach = _mm_set1_epi8(char(FastDistanceTolerance(int8_t(na.distance), p)));
  const __m128i close = _mm_set1_epi8(char(p.angleTolerance));
  const __m128i opposite = _mm_set1_epi8(char(kFastHalfCircle - p.angleTolerance));
  uint32_t bits = 0;
  for (int half = 0; half < 2; ++half) {
    const auto load = [half](const uint8_t* v) { return _mm_load_si128(reinterpret_cast<const __m128i*>(v) + half); };
    const __m128i gd = absoluteDifference(e, load(lanes.distance));
    const __m128i gr = absoluteDifference(rd, load(lanes.direction));
    const __m128i go = absoluteDifference(ro, load(lanes.orientation));
    const __m128i agree =
        _mm_and_si128(atMost(gd, reach), _mm_and_si128(_mm_or_si128(atMost(gr, close), atLeast(gr, opposite)),
                                                       _mm_or_si128(atMost(go, close), atLeast(go, opposite))));
    bits |= uint32_t(_mm_movemask_epi8(agree)) << (16 * half);
  }
  return bits & lanes.present;
}

NeighbourhoodMatch CompareNeighbourhoods(const FastMinutia& a, const FastMinutia& b, int needed) {
  NeighbourLanes lanes;
  LoadNeighbourLanes(b, lanes);
  return AssignNeighbours(a, b, needed, [&lanes](const FastNeighbour& na) { return LanePartners(lanes, na); });
}

}  // namespace ridgecore
