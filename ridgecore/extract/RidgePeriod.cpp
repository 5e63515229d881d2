#include "extract/RidgePeriod.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "extract/Allocation.h"
#include "extract/Geometry.h"

namespace ridgecore {
namespace {

constexpr int kFirst = 4, kLast = 55;
constexpr int kSamples = ExtractionTables::kSamples;

// Two runs of consecutive extremum positions; a position that extends
// neither is the third run.
struct ExtremumRuns {
  int runs = 0;
  int a1 = 0, b1 = 0, a2 = 0, b2 = 0;

  // Returns true at the third run.
  bool add(int n) {
    if (runs == 0) {
      a1 = b1 = n;
      runs = 1;
    } else if (runs == 1) {
      if (n == b1 + 1) {
        b1 = n;
      } else {
        a2 = b2 = n;
        runs = 2;
      }
    } else if (n == b2 + 1) {
      b2 = n;
    } else {
      return true;
    }
    return false;
  }
  int spacing() const { return static_cast<int>((a2 + b2 - a1 - b1) * 0.5 + 1.0); }
};

}  // namespace

int periodOfSignature(const int* s) {
  ExtremumRuns valleys, peaks;
  for (int n = 2; n <= kSamples - 3; ++n) {
    if (s[n] < s[n - 2] && s[n] < s[n + 2]) {
      if (valleys.add(n)) return valleys.spacing() + 4;
    } else if (s[n] > s[n - 2] && s[n] > s[n + 2]) {
      if (peaks.add(n)) return peaks.spacing();
    }
  }
  return 0;
}

bool measureRidgePeriod(const ExtractionTables& tables, const uint8_t* smoothed, const uint8_t* directions,
                        uint8_t* periods, uint8_t* mask) {
  auto contrast = allocateArray<int>(kGridBlocks);
  std::memset(periods, 0, kGridBlocks);
  std::fill(contrast.get(), contrast.get() + kGridBlocks, 0);
  int largest = 0;

  for (int i = kFirst; i <= kLast; ++i) {
    for (int j = kFirst; j <= kLast; ++j) {
      const int b = i * kGridSide + j;
      if (directions[b] >= 64) continue;
      const uint8_t* centre = smoothed + kBlockSide * i * kImageSide + kBlockSide * j;
      const auto& offsets = tables.signature[directions[b]];
      int x[kSamples];
      for (int n = 0; n < kSamples; ++n) {
        int along = 0;
        for (int l = 0; l < ExtractionTables::kAlong; ++l) along += centre[offsets[n][l]];
        x[n] = along / ExtractionTables::kAlong;
      }
      int s[kSamples];
      int sum = 0, squares = 0;
      for (int n = 0; n < kSamples; ++n) {
        const int before = x[n == 0 ? 0 : n - 1], after = x[n == kSamples - 1 ? n : n + 1];
        s[n] = (before + x[n] + after) / 3;
        sum += s[n];
        squares += s[n] * s[n];
      }
      const int c = static_cast<int>(std::sqrt(static_cast<double>(squares / 32 - (sum * sum) / 1024)));
      const int mean = sum / 32;
      contrast[b] = c;
      largest = std::max(largest, c);
      if (mean < 70 && c < 10) continue;
      periods[b] = static_cast<uint8_t>(periodOfSignature(s));
    }
  }

  const int divisor = std::max(largest, 1);
  for (int b = 0; b < kGridBlocks; ++b) mask[b] = static_cast<uint8_t>(contrast[b] * 255 / divisor);

  int contrasted = 0, measured = 0;
  for (int i = 5; i <= 54; ++i) {
    for (int j = 5; j <= 54; ++j) {
      const int b = i * kGridSide + j;
      if (mask[b] > 50) ++contrasted;
      if (periods[b] > 1) ++measured;
    }
  }
  return contrasted >= 1000 && measured >= 1000;
}

}  // namespace ridgecore
