#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "ridgeport/OpticalGeometry.h"

namespace ridgeport {

// The optical correction of a raw 384 x 300 frame, in place: vertical
// resampling along the row map, then horizontal resampling along the rays of
// the optics (OpticalGeometry.h).
//
// The row map and the column samples depend on constants only, so they are
// computed once per process; the per-call cost is the resampling itself.
class FrameCorrector {
 public:
  FrameCorrector();

  // The tables of this process, built on first use.
  static const FrameCorrector& shared();

  void correct(std::uint8_t* frame) const;

 private:
  friend void correctFrameDirect(std::uint8_t* frame);

  struct RowStep {
    int e = 0;        // trunc(s(i))
    int o = 0;        // trunc(s(i - 1))
    int n = 2;        // divisor
    double next = 0;  // weight of row e + 1: s - e
    double self = 1;  // weight of row e: e + 1 - s
  };
  struct RowSamples {
    int first = 0;  // corrected columns first..last are produced
    int last = -1;
  };

  static RowStep rowStep(int i);
  static void resampleRow(const std::uint8_t* raw, const RowStep& step, double* prev, std::uint8_t* target);
  void resampleRows(const std::uint8_t* raw, std::uint8_t* out) const;
  void resampleColumns(const std::uint8_t* rows, std::uint8_t* out) const;

  std::array<RowStep, optics::kFrameHeight> rowSteps_;
  std::array<RowSamples, optics::kFrameHeight> rowSamples_;
  // Per corrected pixel (kFrameHeight x kFrameWidth): the sampled column and the
  // fraction towards the next one.
  std::vector<std::int16_t> columns_;
  std::vector<double> fractions_;
};

// The same correction computing every position on each call (the row map and a
// tangent per pixel): the reference the tables are checked against, and the
// baseline of the benchmark.
void correctFrameDirect(std::uint8_t* frame);

}  // namespace ridgeport
