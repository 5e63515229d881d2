#pragma once

#include <cstdint>

#include "fast/FastPairChecks.h"
#include "ridgecore.h"

// A coarse description of one side of fast comparisons, cheap to make: b's
// neighbours by cells of four values in each of distance, relative
// direction and relative orientation, with b's neighbours in sixteen bits
// (equal neighbours in a row share one, and so do neighbours sixteen apart
// in the list). A pair of minutiae goes to the exact neighbourhood test only
// when at least as many of a's neighbours as an accepted pair needs fall
// into cells that one neighbour of b meets in all three values; every pair
// the exact test accepts does. About 20 KB, made in about a microsecond.
// Needs AVX-512 (BW, VBMI) and GFNI.
namespace ridgecore {

class FastCellProbe {
 public:
  // Whether this processor can make and use one.
  static bool available();

  // Only where available(). The record must outlive the probe.
  explicit FastCellProbe(const tagFASTFDATA& record);

  // The pairs of the sweep of a comparison of a (the stored side) with the
  // record, at most stop, in the sweep's order; returns how many.
  int findPairs(const tagFASTFDATA& a, int stop, FastPair* pairs, uint64_t& pairedA, uint64_t& pairedB) const;

  static constexpr int kCells = 64;    // of four signed byte values each: v lies in cell (v + 128) / 4
  static constexpr int kColumns = 64;  // the record's minutiae, one byte lane each

  // For each of the three values and every cell, bit c when a neighbour of
  // class c meets a value of that cell.
  struct alignas(64) Column {
    uint16_t cells[3][kCells];
  };
  // The minutiae as bytes, for finding the ones a minutia of a may pair with.
  struct Places {
    alignas(64) uint8_t x[kColumns];
    alignas(64) uint8_t y[kColumns];
    alignas(64) int8_t direction[kColumns];
    uint64_t eligible;  // enough neighbours to be paired
  };

 private:
  const tagFASTFDATA& record_;
  Places places_{};
  Column columns_[RIDGECORE_MAX_MINUTIAE];
};

}  // namespace ridgecore
