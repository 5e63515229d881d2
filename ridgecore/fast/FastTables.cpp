#include "fast/FastTables.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace ridgecore {
namespace {

constexpr int kRootStep = 32;  // coarse step of the square table
constexpr int kRootCoarse = kFastMaxRoot / kRootStep;
constexpr int kQuarter = 128;  // first-quadrant angles 0..128
constexpr int kTanStep = 16;   // coarse step of the tangent table
constexpr int kTanCoarse = kQuarter / kTanStep;
constexpr int kTanScaleShift = 15;  // tangents in 1/32768
// Inside a neighbourhood (offsets up to 100 record units) both functions are
// read straight from a table of their results.
constexpr int kReach = 100;
constexpr int kReachSquared = kReach * kReach;

struct Tables {
  int32_t squares[kFastMaxRoot + 1];   // the last entry, 512 squared, bounds every input the library gives
  int32_t coarseSquares[kRootCoarse];  // squares[32 (k + 1)]
  int32_t tangents[kQuarter + 1];
  int32_t coarseTangents[kTanCoarse];  // tangents[16 (k + 1)]
  uint8_t roots[kReachSquared + 1];
  uint8_t quadrant[kReach + 1][kReach + 1];  // first-quadrant angle of (|dy|, |dx|), dx > 0, dy > 0

  Tables() {
    for (int i = 0; i <= kFastMaxRoot; ++i) squares[i] = i * i;
    for (int k = 0; k < kRootCoarse; ++k) coarseSquares[k] = squares[kRootStep * (k + 1)];
    const double pi = std::acos(-1.0);
    for (int i = 0; i <= kQuarter; ++i)
      tangents[i] = i == kQuarter ? std::numeric_limits<int32_t>::max()
                    : i == 64     ? 32767
                                  : int32_t(std::lround(std::tan(i * pi / 256) * 32768));
    for (int k = 0; k < kTanCoarse; ++k) coarseTangents[k] = tangents[kTanStep * (k + 1)];
    for (int a = 0; a <= kReachSquared; ++a) roots[a] = uint8_t(searchRoot(a));
    for (int dy = 1; dy <= kReach; ++dy) {
      for (int dx = 1; dx <= kReach; ++dx) quadrant[dy][dx] = uint8_t(searchQuadrant(dy, dx));
    }
  }

  int searchRoot(int a) const;
  int searchQuadrant(int dy, int dx) const;
};

// The index of the entry of an ascending table nearest to v, ties to the
// larger: the first entry not below v, found through the coarse table, or
// the one before it when that is strictly nearer.
template <int Step, int Coarse>
int nearestEntry(const int32_t* table, const int32_t* coarse, int64_t v) {
  int k = 0;
  while (k < Coarse - 1 && coarse[k] < v) ++k;
  int i = k * Step;
  while (i < Coarse * Step && table[i] < v) ++i;
  if (i > 0 && v - table[i - 1] < table[i] - v) --i;
  return i;
}

int Tables::searchRoot(int a) const {
  if (a >= squares[kFastMaxRoot]) return kFastMaxRoot;
  return nearestEntry<kRootStep, kRootCoarse>(squares, coarseSquares, a);
}

// dy, dx > 0.
int Tables::searchQuadrant(int dy, int dx) const {
  const int64_t ratio = (int64_t{dy} << kTanScaleShift) / dx;
  return nearestEntry<kTanStep, kTanCoarse>(tangents, coarseTangents, ratio);
}

const Tables kTables;

}  // namespace

int FastSqrt(int a) {
  if (a >= 0 && a <= kReachSquared) return kTables.roots[a];
  return kTables.searchRoot(a);
}

int FastAtan(int dy, int dx) {
  if (dx == 0) return dy < 0 ? -kQuarter : kQuarter;
  if (dy == 0) return dx > 0 ? 0 : kFastHalfTurn;
  const int ady = std::abs(dy), adx = std::abs(dx);
  const int i = ady <= kReach && adx <= kReach ? kTables.quadrant[ady][adx] : kTables.searchQuadrant(ady, adx);
  if (dx > 0) return dy > 0 ? i : -i;
  return dy > 0 ? kFastHalfTurn - i : i - kFastHalfTurn;
}

int32_t FastTangentEntry(int i) { return kTables.tangents[i]; }

}  // namespace ridgecore
