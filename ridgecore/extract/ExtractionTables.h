#pragma once

#include <cstdint>

#include "extract/Geometry.h"

// Offset and kernel tables: every trigonometric value the extraction needs.
// They depend on constants only, so one process builds them once.
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
  // The same kernels with the taps of one direction that share a pixel
  // merged, padded to an even count; weights in pairs of 16 bits (low = first).
  static constexpr int kMergedTaps = kTaps + 1;
  int mergedCount[64];
  int mergedOffset[64][kMergedTaps];
  int32_t mergedPairWeight[kPeriods][64][kMergedTaps / 2];
  // An alternative normalisation, chosen by FilterGain::ZeroMeanTunedGain:
  // each kernel with its weight sum spread over its taps (an exact sum of
  // 0), merged and paired as above, and its response to ridges of its own
  // period (positive for every period, unlike filterSum).
  int32_t zeroMeanPairWeight[kPeriods][64][kMergedTaps / 2];
  int tunedGain[kPeriods];

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

  // Structure check: the walk direction (contour normal, 0..127) of a
  // contour chord of up to 25 steps, indexed [dy + 25][dx + 25].
  static constexpr int kChordReach = 25;
  uint8_t chordNormal[2 * kChordReach + 1][2 * kChordReach + 1];

  void build();
};

// The tables of this process, built on first use.
const ExtractionTables& extractionTables();

}  // namespace ridgecore
