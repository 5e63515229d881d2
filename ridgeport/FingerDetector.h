#pragma once

#include <cstdint>

namespace ridgeport {

// Whether a finger lies on the sensor, judged by the ridge contrast of a
// 100 x 100 window: the window is cut into 10 x 10 blocks; a finger gives a mean
// block variance of at least 300 with at least 30 blocks above that mean.
class FingerDetector {
 public:
  static constexpr int kWindow = 100;
  static constexpr int kBlock = 10;
  static constexpr int kMinMeanVariance = 300;
  static constexpr int kMinBusyBlocks = 30;

  // window: the top-left pixel of the 100 x 100 window; stride: bytes per image row.
  static bool fingerPresent(const std::uint8_t* window, int stride);

  // Variance of one 10 x 10 block, truncated: trunc(sum((p - mean)^2) * 0.01).
  static int blockVariance(const std::uint8_t* block, int stride);
};

}  // namespace ridgeport
