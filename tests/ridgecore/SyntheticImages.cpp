#include "tests/ridgecore/SyntheticImages.h"

#include <cmath>
#include <numbers>

namespace ridgecoretest {

std::vector<uint8_t> ridgePattern(double ridgeDegrees, double period, double amplitude) {
  std::vector<uint8_t> image(kSide * kSide);
  const double normal = (ridgeDegrees + 90.0) * std::numbers::pi / 180.0;
  for (int r = 0; r < kSide; ++r) {
    for (int c = 0; c < kSide; ++c) {
      const double phase = 2 * std::numbers::pi * (c * std::cos(normal) + r * std::sin(normal)) / period;
      image[r * kSide + c] = static_cast<uint8_t>(std::lround(128 + amplitude * std::cos(phase)));
    }
  }
  return image;
}

void BinaryCanvas::fill(int top, int left, int bottom, int right, uint8_t value) {
  for (int r = top; r <= bottom; ++r) {
    for (int c = left; c <= right; ++c) set(r, c, value);
  }
}

int BinaryCanvas::count(uint8_t value, int top, int left, int bottom, int right) const {
  int n = 0;
  for (int r = top; r <= bottom; ++r) {
    for (int c = left; c <= right; ++c) n += at(r, c) == value;
  }
  return n;
}

std::vector<uint8_t> blockMap(uint8_t value, uint8_t ring) {
  std::vector<uint8_t> map(60 * 60, value);
  for (int i = 0; i < 60; ++i) {
    for (int j = 0; j < 60; ++j) {
      if (i == 0 || j == 0 || i == 59 || j == 59) map[i * 60 + j] = ring;
    }
  }
  return map;
}

}  // namespace ridgecoretest
