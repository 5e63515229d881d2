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

// The gradient moments of the 17 x 17 windows, kept as running column sums:
// from one block row to the next five image rows leave the window and five
// enter, and likewise for the columns of one block to the next.
class WindowMoments {
 public:
  explicit WindowMoments(const uint8_t* smoothed) : s_(smoothed) {}

  // Sums of gx^2 - gy^2 and 2 gx gy over the window centred on block (i, j);
  // blocks are visited row by row.
  void moments(int i, int j, long long& vx, long long& vy) {
    if (i != row_) moveToRow(i);
    const int first = kBlockSide * j - kHalfWindow, last = kBlockSide * j + kHalfWindow;
    if (j != column_ + 1) {
      sumX_ = sumY_ = 0;
      for (int c = first; c <= last; ++c) {
        sumX_ += columnX_[c];
        sumY_ += columnY_[c];
      }
    } else {
      for (int k = 1; k <= kBlockSide; ++k) {
        sumX_ += columnX_[last - kBlockSide + k] - columnX_[first - k];
        sumY_ += columnY_[last - kBlockSide + k] - columnY_[first - k];
      }
    }
    column_ = j;
    vx = sumX_;
    vy = sumY_;
  }

 private:
  void moveToRow(int i) {
    const int first = kBlockSide * i - kHalfWindow, last = kBlockSide * i + kHalfWindow;
    if (i == row_ + 1) {
      for (int k = 1; k <= kBlockSide; ++k) {
        addRow(first - k, -1);
        addRow(last - kBlockSide + k, 1);
      }
    } else {
      for (int c = 0; c < kImageSide; ++c) columnX_[c] = columnY_[c] = 0;
      for (int r = first; r <= last; ++r) addRow(r, 1);
    }
    row_ = i;
    column_ = -2;
  }

  // Adds (or takes away) the gradient products of one image row.
  void addRow(int r, int sign) {
    const uint8_t* up = s_ + (r - 1) * kImageSide;
    const uint8_t* mid = s_ + r * kImageSide;
    const uint8_t* down = s_ + (r + 1) * kImageSide;
    for (int c = 1; c < kImageSide - 1; ++c) {
      const int gx = (up[c + 1] + mid[c + 1] + down[c + 1]) - (up[c - 1] + mid[c - 1] + down[c - 1]);
      const int gy = (down[c - 1] + down[c] + down[c + 1]) - (up[c - 1] + up[c] + up[c + 1]);
      columnX_[c] += sign * (gx * gx - gy * gy);
      columnY_[c] += sign * (2 * gx * gy);
    }
  }

  const uint8_t* s_;
  int columnX_[kImageSide] = {}, columnY_[kImageSide] = {};
  long long sumX_ = 0, sumY_ = 0;
  int row_ = -10, column_ = -2;
};

}  // namespace

void computeDirectionField(const uint8_t* smoothed, uint8_t* directions) {
  auto field = allocateArray<Vector>(kGridBlocks);
  auto copy = allocateArray<Vector>(kGridBlocks);
  for (int b = 0; b < kGridBlocks; ++b) field[b] = {0.0, 0.0};

  WindowMoments window(smoothed);
  for (int i = kFirst; i <= kLast; ++i) {
    for (int j = kFirst; j <= kLast; ++j) {
      long long vx, vy;
      window.moments(i, j, vx, vy);
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
