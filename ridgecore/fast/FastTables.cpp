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

struct Tables {
  int32_t squares[kFastMaxRoot + 1];   // the last entry, 512 squared, bounds every input the library gives
  int32_t coarseSquares[kRootCoarse];  // squares[32 (k + 1)]
  int32_t tangents[kQuarter + 1];
  int32_t coarseTangents[kTanCoarse];  // tangents[16 (k + 1)]

  Tables() {
    for (int i = 0; i <= kFastMaxRoot; ++i) squares[i] = i * i;
    for (int k = 0; k < kRootCoarse; ++k) coarseSquares[k] = squares[kRootStep * (k + 1)];
    const double pi = std::acos(-1.0);
    for (int i = 0; i <= kQuarter; ++i)
      tangents[i] = i == kQuarter ? std::numeric_limits<int32_t>::max()
                    : i == 64     ? 32767
                                  : int32_t(std::lround(std::tan(i * pi / 256) * 32768));
    for (int k = 0; k < kTanCoarse; ++k) coarseTangents[k] = tangents[kTanStep * (k + 1)];
  }
};

const Tables kTables;

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

}  // namespace

int FastSqrt(int a) {
  if (a >= kTables.squares[kFastMaxRoot]) return kFastMaxRoot;
  return nearestEntry<kRootStep, kRootCoarse>(kTables.squares, kTables.coarseSquares, a);
}

int FastAtan(int dy, int dx) {
  if (dx == 0) return dy < 0 ? -kQuarter : kQuarter;
  if (dy == 0) return dx > 0 ? 0 : kFastHalfTurn;
  const int64_t ratio = (int64_t{std::abs(dy)} << kTanScaleShift) / std::abs(dx);
  const int i = nearestEntry<kTanStep, kTanCoarse>(kTables.tangents, kTables.coarseTangents, ratio);
  if (dx > 0) return dy > 0 ? i : -i;
  return dy > 0 ? kFastHalfTurn - i : i - kFastHalfTurn;
}

int32_t FastTangentEntry(int i) { return kTables.tangents[i]; }

}  // namespace ridgecore
