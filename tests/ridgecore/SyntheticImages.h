#pragma once

#include <cstdint>
#include <vector>

// Drawn test images: 300 x 300, row-major.
namespace ridgecoretest {

inline constexpr int kSide = 300;

// Straight bright ridges along `ridgeDegrees` (from +x towards +y) with the
// given period in pixels, 128 +- amplitude.
std::vector<uint8_t> ridgePattern(double ridgeDegrees, double period, double amplitude = 90.0);

// A binary picture (0 ridge, 255 background) and helpers to draw into it.
class BinaryCanvas {
 public:
  BinaryCanvas() : pixels_(kSide * kSide, 255) {}
  void fill(int top, int left, int bottom, int right, uint8_t value = 0);  // inclusive
  void set(int row, int col, uint8_t value = 0) { pixels_[row * kSide + col] = value; }
  uint8_t at(int row, int col) const { return pixels_[row * kSide + col]; }
  uint8_t* data() { return pixels_.data(); }
  int count(uint8_t value, int top = 0, int left = 0, int bottom = kSide - 1, int right = kSide - 1) const;

 private:
  std::vector<uint8_t> pixels_;
};

// Block maps with one value everywhere (and `ring` on the outermost ring).
std::vector<uint8_t> blockMap(uint8_t value, uint8_t ring);

}  // namespace ridgecoretest
