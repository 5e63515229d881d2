#include "match/NeighbourAssignment.h"

#include <bit>

#include "match/MatchParams.h"

namespace ridgecore {
namespace {

constexpr int kSectorUnits = 64;
constexpr int kSpreadSteps = 12;
constexpr int kWholeCircleRun = 9;

// Positions as bit masks (bit = neighbour position): the candidates of a
// scanned neighbour are a row, the scanned neighbours that want a searched
// one a column, and the walks below visit set bits in ascending order.
uint32_t after(int position) { return ~0u << (position + 1); }

class Assignment {
 public:
  Assignment(const CandidateMatrix& matrix, LocalMatch& result) : m_(matrix), result_(result) {}

  void run() {
    for (int i = 0; i < m_.scannedCount; ++i) {
      if (!(handedOver_ >> i & 1u)) assignScanned(i);
    }
    result_.pairs = result_.assigned;
    result_.cost = result_.assigned ? float(double(costSum_) / result_.assigned / kCostScale) : 0.0f;
    result_.spread = SectorSpread(sectors_);
  }

 private:
  int countOf(int i) const { return m_.scannedCandidates[i]; }
  int countFor(int j) const { return m_.searchedCandidates[j]; }
  int32_t cost(int i, int j) const { return m_.cost[i][j]; }
  bool onlyChoiceOf(int i) const { return countOf(i) == 1; }
  bool onlyChoiceFor(int j) const { return countFor(j) == 1; }
  bool isUsed(int j) const { return used_ >> j & 1u; }

  static int takeLowest(uint32_t& bits) {
    const int position = std::countr_zero(bits);
    bits &= bits - 1;
    return position;
  }

  void pair(int i, int j) {
    used_ |= 1u << j;
    costSum_ += cost(i, j);
    sectors_ |= uint8_t(1u << DirectionSector(m_.scannedDirection[i]));
    result_.scannedNeighbour[result_.assigned] = uint8_t(i);
    result_.searchedNeighbour[result_.assigned] = uint8_t(j);
    ++result_.assigned;
  }

  void handOver(int i, int j) {
    handedOver_ |= 1u << i;
    pair(i, j);
  }

  void assignScanned(int i) {
    for (uint32_t open = m_.row[i] & ~used_; open;) {
      const int j = takeLowest(open);
      if (isUsed(j)) continue;
      if (onlyChoiceOf(i) && onlyChoiceFor(j)) {
        pair(i, j);
      } else if (onlyChoiceOf(i)) {
        settleContestedOnlyChoice(i, j);
      } else if (onlyChoiceFor(j)) {
        pair(i, preferUndisputed(i, j));
      } else if (handOverToDependant(i, j)) {
        continue;  // j went to a later neighbour that needs it; i tries its next candidate
      } else {
        pair(i, firstUndisputedOrCheapest(i, j));
      }
      return;
    }
  }

  // Later scanned neighbours (after i) that can only take j, among the first
  // count(j) - 1 later ones that want j at all.
  int dependantsOf(int i, int j, int* found) const {
    int n = 0;
    int looked = 0;
    for (uint32_t later = m_.column[j] & after(i); later && looked < countFor(j) - 1; ++looked) {
      const int k = takeLowest(later);
      if (onlyChoiceOf(k)) found[n++] = k;
    }
    return n;
  }

  // i's candidates after j, at most count(i) - 1 of them.
  int laterCandidates(int i, int j, bool skipUsed, int* found) const {
    int n = 0;
    uint32_t later = m_.row[i] & after(j);
    if (skipUsed) later &= ~used_;
    while (later && n < countOf(i) - 1) found[n++] = takeLowest(later);
    return n;
  }

  // i can only take j, but others may want j: a later neighbour that can
  // only take j and is not dearer gets it instead.
  void settleContestedOnlyChoice(int i, int j) {
    int rivals[kMaxKeptNeighbours];
    const int n = dependantsOf(i, j, rivals);
    int best = -1;
    for (int r = 0; r < n; ++r) {
      if (best < 0 || cost(rivals[r], j) < cost(best, j)) best = rivals[r];
    }
    if (best >= 0 && cost(best, j) <= cost(i, j)) {
      handOver(best, j);
    } else {
      pair(i, j);
    }
  }

  // j can only go to i, but i has others: the last later candidate that can
  // only go to i and is cheaper than j replaces it.
  int preferUndisputed(int i, int j) const {
    int later[kMaxKeptNeighbours];
    const int n = laterCandidates(i, j, false, later);
    int chosen = j;
    for (int c = 0; c < n; ++c) {
      if (onlyChoiceFor(later[c]) && cost(i, later[c]) < cost(i, j)) chosen = later[c];
    }
    return chosen;
  }

  // Both have several: when later scanned neighbours can only take j, the
  // last of them gets it.
  bool handOverToDependant(int i, int j) {
    int dependants[kMaxKeptNeighbours];
    const int n = dependantsOf(i, j, dependants);
    if (n == 0) return false;
    handOver(dependants[n - 1], j);
    return true;
  }

  // Otherwise the first later candidate that can only go to i, else the
  // cheapest of j and the later free candidates.
  int firstUndisputedOrCheapest(int i, int j) const {
    int later[kMaxKeptNeighbours];
    const int n = laterCandidates(i, j, true, later);
    int cheapest = j;
    for (int c = 0; c < n; ++c) {
      if (onlyChoiceFor(later[c])) return later[c];
      if (cost(i, later[c]) < cost(i, cheapest)) cheapest = later[c];
    }
    return cheapest;
  }

  const CandidateMatrix& m_;
  LocalMatch& result_;
  uint32_t handedOver_ = 0;  // scanned neighbours given a partner by a hand-over
  uint32_t used_ = 0;        // searched neighbours taken
  int64_t costSum_ = 0;
  uint8_t sectors_ = 0;
};

}  // namespace

int DirectionSector(int direction) {
  const int sector = direction / kSectorUnits;
  return direction < 0 ? sector + 7 : sector;
}

int SectorSpread(uint8_t occupied) {
  int longest = 0;
  int run = 0;
  for (int step = 0; step < kSpreadSteps; ++step) {
    if (occupied & (1u << (step % 8))) {
      ++run;
    } else {
      if (run > longest) longest = run;
      run = 0;
    }
  }
  return run >= kWholeCircleRun ? 8 : longest;
}

void AssignNeighbours(const CandidateMatrix& matrix, LocalMatch& result) {
  result.assigned = 0;
  Assignment(matrix, result).run();
}

}  // namespace ridgecore
