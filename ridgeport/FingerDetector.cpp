#include "ridgeport/FingerDetector.h"

namespace ridgeport {

int FingerDetector::blockVariance(const std::uint8_t* block, int stride) {
  int sum = 0;
  for (int r = 0; r < kBlock; ++r)
    for (int c = 0; c < kBlock; ++c) sum += block[r * stride + c];
  const double mean = sum / 100.0;
  double squares = 0;
  for (int r = 0; r < kBlock; ++r) {
    for (int c = 0; c < kBlock; ++c) {
      const double d = block[r * stride + c] - mean;
      squares += d * d;
    }
  }
  return static_cast<int>(squares * 0.01);
}

bool FingerDetector::fingerPresent(const std::uint8_t* window, int stride) {
  constexpr int kBlocks = kWindow / kBlock;
  int variances[kBlocks * kBlocks];
  int total = 0;
  for (int by = 0; by < kBlocks; ++by) {
    for (int bx = 0; bx < kBlocks; ++bx) {
      const int v = blockVariance(window + by * kBlock * stride + bx * kBlock, stride);
      variances[by * kBlocks + bx] = v;
      total += v;
    }
  }
  const int mean = total / (kBlocks * kBlocks);
  int busy = 0;
  for (int v : variances) busy += v > mean ? 1 : 0;
  return mean >= kMinMeanVariance && busy >= kMinBusyBlocks;
}

}  // namespace ridgeport
