#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <emmintrin.h>

#include "fast/FastForm.h"
#include "fast/FastParams.h"

// The neighbourhood test of the fast comparison: do the neighbours of a and
// of b agree, one to one, in distance, relative direction and relative
// orientation?
namespace ridgecore {

struct NeighbourhoodMatch {
  int matched = 0;  // a's neighbours that found partners among b's
  bool accepted = false;
};

inline constexpr int kFastHalfCircle = 128;  // 2 pi / 128 units

// |difference| of two 2 pi / 128 angles as an 8-bit value.
inline int FastAngleGap(int a, int b) { return uint8_t(std::abs(a - b)); }
inline bool FastAnglesAgree(int gap, int tolerance) { return gap <= tolerance || gap >= kFastHalfCircle - tolerance; }
inline int FastDistanceTolerance(int distance, const FastParams& p) {
  return distance > p.farFrom ? p.farDistanceTolerance : p.distanceTolerance;
}

// a's neighbours are taken nearest first; each takes the first of b's free
// neighbours (nearest first) that partners(na) names: those at a like
// distance whose relative direction and orientation agree with na. The pair
// is accepted when more than needed neighbours found partners (one fewer
// needed when their angle differences sum to little) and the sum stays below
// its limit. The walk ends once more than needed are matched or once too few
// are left to get there. With both lists sorted by distance, as every fast
// record is, this is the walk along b's list with a moving window.
template <typename Partners>
[[gnu::always_inline]] inline NeighbourhoodMatch AssignNeighbours(const FastMinutia& a, const FastMinutia& b,
                                                                  int needed, Partners partners) {
  const FastParams& p = fastParams();
  const int countA = FastNeighbourCount(a);
  uint32_t taken = 0;
  int matched = 0;
  uint8_t angleSum = 0;   // kept in 8 bits
  uint32_t missed = ~0u;  // the last neighbour that found no partner: a copy of it finds none either
  for (int i = 0; i < countA; ++i) {
    if (matched > needed || matched + (countA - i) < needed) break;
    const FastNeighbour& na = a.neighbours[i];
    uint32_t key;
    std::memcpy(&key, &na, sizeof key);
    key &= kFastNeighbourValueBits;
    if (key == missed) continue;
    const uint32_t free = partners(na) & ~taken;
    if (!free) {
      missed = key;
      continue;
    }
    const int j = std::countr_zero(free);
    const FastNeighbour& nb = b.neighbours[j];
    taken |= 1u << j;
    ++matched;
    const int direction = FastAngleGap(na.relativeDirection, nb.relativeDirection);
    const int orientation = FastAngleGap(na.relativeOrientation, nb.relativeOrientation);
    angleSum = uint8_t(angleSum + std::min(direction, kFastHalfCircle - direction) +
                       std::min(orientation, kFastHalfCircle - orientation));
  }
  if (angleSum < p.lowAngleSum) --needed;
  return NeighbourhoodMatch{matched, matched > needed && angleSum < p.angleSumLimit && matched > 0};
}

// One neighbourhood laid out for comparing a neighbour of another minutia
// with all of its neighbours at once, in two halves of sixteen. Values are
// stored with their sign bit flipped, so that unsigned differences give the
// signed ones exactly.
struct NeighbourLanes {
  alignas(16) uint8_t distance[32];
  alignas(16) uint8_t direction[32];
  alignas(16) uint8_t orientation[32];
  uint32_t present;  // a bit for every neighbour held
  // The distance range of each half (flipped), so that a half out of reach
  // is passed over: on a list sorted by distance, most neighbours reach one.
  uint8_t nearest[2];
  uint8_t farthest[2];
};

void LoadNeighbourLanes(const FastMinutia& m, NeighbourLanes& out);

// The neighbours of lanes within reach of na and agreeing with it in both
// angles.
[[gnu::always_inline]] inline uint32_t LanePartners(const NeighbourLanes& lanes, const FastNeighbour& na) {
  const FastParams& p = fastParams();
  const int e = na.distance ^ 0x80;
  const int reach = FastDistanceTolerance(int8_t(na.distance), p);
  const __m128i ve = _mm_set1_epi8(char(e));
  const __m128i vr = _mm_set1_epi8(char(uint8_t(na.relativeDirection) ^ 0x80));
  const __m128i vo = _mm_set1_epi8(char(uint8_t(na.relativeOrientation) ^ 0x80));
  const __m128i zero = _mm_setzero_si128();
  const __m128i within = _mm_set1_epi8(char(reach));
  const __m128i close = _mm_set1_epi8(char(p.angleTolerance));
  const __m128i opposite = _mm_set1_epi8(char(kFastHalfCircle - p.angleTolerance));
  const auto gap = [](__m128i x, __m128i y) { return _mm_or_si128(_mm_subs_epu8(x, y), _mm_subs_epu8(y, x)); };
  // v <= limit, unsigned: nothing is left when limit is taken away.
  const auto atMost = [&zero](__m128i v, __m128i limit) { return _mm_cmpeq_epi8(_mm_subs_epu8(v, limit), zero); };
  const auto agrees = [&](__m128i g) {
    return _mm_or_si128(atMost(g, close), atMost(opposite, g));  // g <= close or g >= opposite
  };
  uint32_t bits = 0;
  for (int half = 0; half < 2; ++half) {
    if (lanes.nearest[half] > e + reach || lanes.farthest[half] + reach < e) continue;  // none within reach
    const auto load = [half](const uint8_t* v) { return _mm_load_si128(reinterpret_cast<const __m128i*>(v) + half); };
    const __m128i agree =
        _mm_and_si128(atMost(gap(load(lanes.distance), ve), within),
                      _mm_and_si128(agrees(gap(load(lanes.direction), vr)), agrees(gap(load(lanes.orientation), vo))));
    bits |= uint32_t(_mm_movemask_epi8(agree)) << (16 * half);
  }
  return bits & lanes.present;
}

// Whether the processor has AVX2: the hot loops are built once for it and
// once for the base instruction set.
bool FastHasAvx2();

// The test for two minutiae without anything prepared.
NeighbourhoodMatch CompareNeighbourhoods(const FastMinutia& a, const FastMinutia& b, int needed);

}  // namespace ridgecore
