#include "extract/DirectionField.h"

#include <cmath>
#include <numbers>

#include "extract/Allocation.h"
#include "extract/Geometry.h"

namespace ridgecore {
namespace {

constexpr int kFirst = 2, kLast = kGridSide - 3;  // blocks that carry a direction
constexpr int kHalfWindow = 8;

struct Vector {
  double x, y;
};

// Vx = sum(gx^2 - gy^2), Vy = sum(2 gx gy) over the 17 x 17 window centred on (r0, c0).
void windowMoments(const uint8_t* s, int r0, int c0, long long& vx, long long& vy) {
  vx = vy = 0;
  for (int r = r0 - kHalfWindow; r <= r0 + kHalfWindow; ++r) {
    const uint8_t* up = s + (r - 1) * kImageSide;
    const uint8_t* mid = s + r * kImageSide;
    const uint8_t* down = s + (r + 1) * kImageSide;
    for (int c = c0 - kHalfWindow; c <= c0 + kHalfWindow; ++c) {
      const int gx = (up[c + 1] + mid[c + 1] + down[c + 1]) - (up[c - 1] + mid[c - 1] + down[c - 1]);
      const int gy = (down[c - 1] + down[c] + down[c + 1]) - (up[c - 1] + up[c] + up[c + 1]);
      vx += gx * gx - gy * gy;
      vy += 2 * gx * gy;
    }
  }
}

}  // namespace

void computeDirectionField(const uint8_t* smoothed, uint8_t* directions) {
  auto field = allocateArray<Vector>(kGridBlocks);
  auto copy = allocateArray<Vector>(kGridBlocks);
  for (int b = 0; b < kGridBlocks; ++b) field[b] = {0.0, 0.0};

  for (int i = kFirst; i <= kLast; ++i) {
    for (int j = kFirst; j <= kLast; ++j) {
      long long vx, vy;
      windowMoments(smoothed, kBlockSide * i, kBlockSide * j, vx, vy);
      const double x = static_cast<double>(vx), y = static_cast<double>(vy);
      const double length = std::sqrt(x * x + y * y);
      field[i * kGridSide + j] = length < 1e-8 ? Vector{1.0, 0.0} : Vector{x / length, y / length};
    }
  }

  for (int b = 0; b < kGridBlocks; ++b) copy[b] = field[b];
  for (int i = kFirst; i <= kLast; ++i) {
    for (int j = kFirst; j <= kLast; ++j) {
      double sx = 0.0, sy = 0.0;
      int count = 0;
      for (int u = i - 2; u <= i + 2; ++u) {
        if (u < kFirst || u > kLast) continue;
        for (int v = j - 2; v <= j + 2; ++v) {
          if (v < kFirst || v > kLast) continue;
          sx += copy[u * kGridSide + v].x;
          sy += copy[u * kGridSide + v].y;
          ++count;
        }
      }
      field[i * kGridSide + j] = {sx / count, sy / count};
    }
  }

  for (int i = 0; i < kGridSide; ++i) {
    for (int j = 0; j < kGridSide; ++j) {
      const int b = i * kGridSide + j;
      if (i < kFirst || i > kLast || j < kFirst || j > kLast) {
        directions[b] = kNoDirection;
        continue;
      }
      const double a = std::atan2(field[b].y, field[b].x);
      double phi = a / 2;
      if (a < 0) phi += std::numbers::pi;
      const int index = static_cast<int>(std::floor(phi * 64 / std::numbers::pi));
      directions[b] = static_cast<uint8_t>((32 + index) % 64);
    }
  }
}

}  // namespace ridgecore
