#pragma once

#include <cstdint>

#include "fast/FastParams.h"

// The two checks that judge the pairs of a fast comparison as a whole.
namespace ridgecore {

inline constexpr int kFastMaxPairs = 11;  // the largest stop count

// A pair of the sweep: minutia a of the stored side, b of the other.
struct FastPair {
  uint8_t xa, xb, ya, yb;  // record units
  int8_t da, db;           // 2 pi / 128 units
  uint8_t matched;         // neighbours that found partners
  uint8_t indexA, indexB;  // positions in the two records
};
static_assert(sizeof(FastPair) == 9, "FastPair layout");

// Over pairs ranked best first: the lengths and direction changes along the
// chain of pairs must agree on both sides. 1 when the lengths disagree, 2
// when the direction changes do, else count.
int FastQuickCheck(const FastPair* pairs, int count);

struct FastConsistency {
  int result = 0;  // 0 too few pairs, 1 inconsistent, 2 rotated too far or unevenly, 3 outliers among few, else count
  bool measured = false;          // the statistics ran: translation holds their figure
  FastTranslation translation{};  // pixels, b minus a
};

// The geometric consistency of the pairs (ranked best first) with the
// classic matcher's statistics, a as the scanned side.
FastConsistency FastConsistencyCheck(const FastPair* pairs, int count);

// The rotation of a pair as the consistency check takes it, in radians.
double FastPairRotation(int da, int db);

}  // namespace ridgecore
