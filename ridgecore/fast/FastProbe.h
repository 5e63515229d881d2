#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "fast/FastCellFilter.h"
#include "fast/FastPairChecks.h"
#include "ridgecore.h"

namespace ridgecore {

struct FastMinutia;

// One side of fast comparisons, prepared so that each comparison with it is
// cheap. Two ways: where the processor has the instructions for it, the
// coarse cells of fast/FastCellFilter.h, cheap to make, so a single
// comparison prepares one too; elsewhere the exact tables below. Both find
// the same pairs.
//
// The tables: for every value a neighbour may hold
// (distance, relative direction, relative orientation), and for every minutia
// of the probe, the bits of that minutia's neighbours the value can meet.
// A neighbourhood test is then three lookups per neighbour, and a comparison
// first counts, for every pair of minutiae at once, how many of a's
// neighbours have anywhere to go: only pairs where enough do are tested.
// The minutiae are held as columns in the order of their directions, so that
// the minutiae a direction can meet form at most three runs of columns.
// At most 150 KB, built in 7 to 9 us.
//
// The record must outlive the probe. Read-only once built: several threads
// may compare with it at once.
class FastProbe {
 public:
  enum class Method { Tables, Cells };
  // Cells where the processor can run them, else Tables.
  static Method bestMethod();

  explicit FastProbe(const tagFASTFDATA& record, Method method = bestMethod());
  ~FastProbe();
  FastProbe(const FastProbe&) = delete;
  FastProbe& operator=(const FastProbe&) = delete;

  const tagFASTFDATA& record() const { return record_; }

  // The pairs that the sweep of a comparison of a (the stored side) with the
  // probe finds, at most stop, in the sweep's order; returns how many.
  int findPairs(const tagFASTFDATA& a, int stop, FastPair* pairs, uint64_t& pairedA, uint64_t& pairedB) const;

  static constexpr int kColumns = 64;  // at most: a word per minutia, in whole chunks of eight
  static constexpr int kValues = 256;  // signed byte v at v + 128
  static constexpr int kTables = 3;

 private:
  enum Table { Distance, Direction, Orientation };

  const uint32_t* row(Table table, int value) const {
    return tables_.get() + (size_t(table) * kValues + size_t(value + 128)) * size_t(stride_);
  }

  // Bit c for every chunk of columns holding a minutia whose direction meets direction.
  uint32_t chunksMeeting(int direction) const;
  // The minutiae of the probe whose neighbourhoods may agree with that of a:
  // at least needed of a's neighbours have somewhere to go. Adds a (ia) to
  // their survivors.
  uint64_t reachable(const FastMinutia& a, int needed, uint64_t* survivors, int ia) const;

  const tagFASTFDATA& record_;
  int count_ = 0;   // minutiae
  int stride_ = 0;  // words a row: count_ rounded up to whole chunks
  uint8_t minutiaOf_[kColumns] = {};
  uint8_t columnOf_[kColumns] = {};
  int8_t direction_[kColumns] = {};  // by column, ascending
  uint8_t firstColumn_[257] = {};    // the first column of direction v - 128 or more
  std::unique_ptr<uint32_t[]> tables_;
  std::optional<FastCellProbe> cells_;  // instead of the tables
};

}  // namespace ridgecore
