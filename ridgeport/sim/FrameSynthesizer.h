#pragma once

#include <cstdint>
#include <vector>

#include "ridgeport/sim/GreyImage.h"

namespace ridgeport::sim {

// The optics of the simulated sensor: makes the raw 384 x 300 frame whose
// optical correction gives back a given 300 x 300 image.
//
// The distortion is modelled as a linear map from raw frame to corrected frame
// (the resampling of the correction without its rounding). The raw frame is
// the least-squares solution of that map for the pixels that survive the
// correction (conjugate gradients from a back-projection), nudged up by the
// average loss of the two truncating resampling steps, then rounded to bytes.
// Pixels that the correction drops (the dark margins, the columns outside the
// cut) are left to the back-projection.
class FrameSynthesizer {
 public:
  FrameSynthesizer();

  // The taps are built once per process.
  static const FrameSynthesizer& shared();

  // image: 300 x 300, in the sensor's polarity. Returns 115200 bytes.
  std::vector<std::uint8_t> rawFrame(const GreyImage& image) const;

  static constexpr int kIterations = 12;  // per round
  static constexpr int kRounds = 4;

 private:
  struct Tap {
    int index;
    double weight;
  };

  void forward(const std::vector<double>& raw, std::vector<double>& corrected) const;
  void solve(const std::vector<double>& target, const std::vector<double>& free, std::vector<double>& raw) const;
  void residualGradient(const std::vector<double>& target, const std::vector<double>& raw,
                        std::vector<double>& gradient) const;
  void adjoint(const std::vector<double>& corrected, std::vector<double>& raw) const;

  std::vector<std::vector<Tap>> rowTaps_;  // per corrected row: source rows
  std::vector<Tap> columnTaps_;            // per corrected pixel: two source columns (weight 0 when dark)
  std::vector<double> mask_;               // 1 where a pixel of the whole image survives the correction
};

}  // namespace ridgeport::sim
