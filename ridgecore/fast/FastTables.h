#pragma once

#include <cstdint>

// The integer angle and distance functions of the fast feature form. Both
// look a value up in a table, narrowed first by a coarse table of every 32nd
// (square roots) or 16th (tangents) entry, so a call costs a few compares.
// The tables are built once, when the library is loaded.
namespace ridgecore {

inline constexpr int kFastHalfTurn = 256;  // pi/256 units: 512 to a full turn
inline constexpr int kFastFullTurn = 512;
inline constexpr int kFastMaxRoot = 512;

// The index i in 0..512 whose square is nearest to a (a >= 0), ties going to
// the larger; 512 for everything beyond 512 squared.
int FastSqrt(int a);

// The direction of (dx, dy) in pi/256 units, -256..256, from the tangent
// table: 128 with the sign of dy for dx = 0 (so 128 for 0, 0); 0 or 256 for
// dy = 0. Exact for |dx|, |dy| below 65536.
int FastAtan(int dy, int dx);

// A difference of two pi/256 angles brought back by one turn.
inline int Wrap512(int a) {
  if (a > kFastHalfTurn) return a - kFastFullTurn;
  if (a < -kFastHalfTurn) return a + kFastFullTurn;
  return a;
}

// The tangent table: round(tan(i pi / 256) x 32768) for i = 0..128, except
// entry 64, which is 32767, and entry 128, the largest positive 32-bit value.
int32_t FastTangentEntry(int i);

}  // namespace ridgecore
