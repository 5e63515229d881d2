#pragma once

#include <cstdint>

#include "extract/ExtractionTables.h"

namespace ridgecore {

// How the oriented filter scales each pixel's weighted sum.
enum class FilterGain {
  // Divided by the kernel's weight sum W_T. The truncated weights leave sums
  // near 0 for periods 8 (158) and 9 (-54): those blocks come out saturated,
  // and period 9 in the negative image, which turns ridges into valleys there.
  KernelSum,
  // Divided by |W_T|: the negative image mended, the near-binary output kept.
  // The default.
  AbsoluteKernelSum,
  // A zero-mean kernel divided by its response to ridges of its own period,
  // around 128: a ridge pattern keeps its amplitude whatever its period.
  ZeroMeanTunedGain,
};

// Stage 6: the smoothed image filtered along each block's ridge direction
// with the kernel of its period (7..17); pixels outside blocks with a
// direction keep the smoothed value.
void filterAlongRidges(const ExtractionTables& tables, const uint8_t* smoothed, const uint8_t* directions,
                       const uint8_t* periods, uint8_t* filtered, FilterGain gain = FilterGain::AbsoluteKernelSum);

}  // namespace ridgecore
