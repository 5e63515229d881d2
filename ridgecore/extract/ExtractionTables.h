#pragma once

#include <cstdint>

#include "extract/Geometry.h"

// Offset and kernel tables: every trigonometric value the extraction needs.
// They depend on constants only.
namespace ridgecore {

struct ExtractionTables {
  // Ridge period: for direction d, sample n (k = n - 16) and l = -7..7, the
  // pixel offset of the cross-ridge signature.
  static constexpr int kSamples = 32;
  static constexpr int kAlong = 15;
  int signature[64][kSamples][kAlong];

  // Oriented filter: 17 x 11 taps for each direction, weights for the 11
  // periods 7..17, and each kernel's weight sum.
  static constexpr int kTaps = 17 * 11;
  static constexpr int kPeriods = 11;
  int filterOffset[64][kTaps];
  int filterWeight[kPeriods][kTaps];
  int filterSum[kPeriods];

  // Line test: centre line and side lines A and B of 9 samples, for each
  // direction and half-period 3..8.
  static constexpr int kLineSamples = 9;
  int lineCentre[64][kLineSamples];
  int lineSideA[64][6][kLineSamples];
  int lineSideB[64][6][kLineSamples];

  // 128 digital lines of 50 pixels from the origin: row and column steps.
  static constexpr int kWalkLength = 50;
  int8_t walkRow[128][kWalkLength];
  int8_t walkCol[128][kWalkLength];

  void build();
};

// The tables of this process, built on first use.
const ExtractionTables& extractionTables();

}  // namespace ridgecore
