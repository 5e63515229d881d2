#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>

#include "fast/FastTables.h"

using namespace ridgecore;

namespace {

// The nearest root by its definition: of floor(sqrt(a)) and the next, the
// one whose square lies nearer, the larger on a tie; at most 512.
int nearestRoot(long a) {
  long r = long(std::sqrt(double(a)));
  while (r * r > a) --r;
  while ((r + 1) * (r + 1) <= a) ++r;
  if (r >= 512) return 512;
  return a - r * r < (r + 1) * (r + 1) - a ? int(r) : int(r + 1);
}

// The tangent table from its formula, and the angle by searching all of it.
long tangent(int i) {
  if (i == 64) return 32767;
  if (i == 128) return INT_MAX;
  return std::lround(std::tan(i * std::acos(-1.0) / 256) * 32768);
}

int definedAtan(int dy, int dx) {
  if (dx == 0) return dy < 0 ? -128 : 128;
  if (dy == 0) return dx > 0 ? 0 : 256;
  const long ratio = (long(std::abs(dy)) << 15) / std::abs(dx);
  int best = 0;
  for (int i = 1; i <= 128; ++i) {
    if (std::labs(tangent(i) - ratio) <= std::labs(tangent(best) - ratio)) best = i;
  }
  if (dx > 0) return dy > 0 ? best : -best;
  return dy > 0 ? 256 - best : best - 256;
}

}  // namespace

// Every squared distance the library can form, and far beyond.
TEST(FastTables, SqrtIsTheNearestRootForEveryInput) {
  int mismatches = 0;
  for (int a = 0; a <= (1 << 20); ++a) mismatches += FastSqrt(a) != nearestRoot(a);
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(FastSqrt(2), 1);   // 1 and 4 lie 1 and 2 away
  EXPECT_EQ(FastSqrt(6), 2);   // 4 and 9: 2 and 3 away
  EXPECT_EQ(FastSqrt(12), 3);  // 9 and 16: 3 and 4 away
  EXPECT_EQ(FastSqrt(20), 4);  // 16 and 25: 4 and 5 away; ties never arise between squares
  EXPECT_EQ(FastSqrt(INT_MAX), 512);
}

// Every offset between two minutiae of a record (coordinates 0..255), both ways.
TEST(FastTables, AtanIsTheNearestTangentForEveryOffset) {
  int mismatches = 0;
  for (int dy = -255; dy <= 255; ++dy) {
    for (int dx = -255; dx <= 255; ++dx) mismatches += FastAtan(dy, dx) != definedAtan(dy, dx);
  }
  EXPECT_EQ(mismatches, 0);
  for (int i = 0; i <= 128; ++i) ASSERT_EQ(FastTangentEntry(i), tangent(i)) << i;
}

TEST(FastTables, AtanQuadrantsAndAxes) {
  EXPECT_EQ(FastAtan(0, 0), 128);
  EXPECT_EQ(FastAtan(5, 0), 128);
  EXPECT_EQ(FastAtan(-5, 0), -128);
  EXPECT_EQ(FastAtan(0, 7), 0);
  EXPECT_EQ(FastAtan(0, -7), 256);
  EXPECT_EQ(FastAtan(1, 1), 64);  // entry 64 is 32767, one below the ratio 32768
  EXPECT_EQ(FastAtan(-1, 1), -64);
  EXPECT_EQ(FastAtan(1, -1), 192);
  EXPECT_EQ(FastAtan(-1, -1), -192);
}

TEST(FastTables, Wrap512BringsEveryDifferenceIntoOneTurn) {
  for (int a = -767; a <= 767; ++a) {
    const int w = Wrap512(a);
    ASSERT_TRUE(w >= -256 && w <= 256 && (a - w) % 512 == 0) << a;
  }
  EXPECT_EQ(Wrap512(256), 256);
  EXPECT_EQ(Wrap512(-256), -256);
  EXPECT_EQ(Wrap512(257), -255);
}
