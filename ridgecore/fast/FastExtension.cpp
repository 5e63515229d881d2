#include "fast/FastExtension.h"

#include "fast/FastForm.h"
#include "fast/FastSweep.h"

namespace ridgecore {
namespace {

struct Anchor {
  int x, y, direction;  // record units, direction 0..127
};

// Records of the unpaired minutiae of one side, in list order, with the
// anchors as neighbours; returns how many.
int anchoredRecords(const tagFASTFDATA& record, uint64_t paired, const Anchor* anchors, int anchorCount,
                    FastMinutia* out) {
  const FastMinutia* minutiae = FastMinutiae(record);
  const int n = FastMinutiaCount(record);
  int count = 0;
  for (int i = 0; i < n; ++i) {
    if (paired & (uint64_t{1} << i)) continue;
    const FastMinutia& m = minutiae[i];
    FastMinutia& r = out[count++];
    r.x = m.x;
    r.y = m.y;
    r.direction = m.direction;
    r.neighbourCount = uint8_t(anchorCount);
    const int direction = FastDirection128(m.direction);
    for (int k = 0; k < anchorCount; ++k)
      r.neighbours[k] = MakeFastNeighbour(m.x, m.y, direction, anchors[k].x, anchors[k].y, anchors[k].direction, k);
    SortFastNeighbours(r.neighbours, anchorCount);
  }
  return count;
}

}  // namespace

int ExtendFastPairs(const tagFASTFDATA& a, const tagFASTFDATA& b, const FastPair* pairs, int count, uint64_t pairedA,
                    uint64_t pairedB) {
  Anchor anchorsA[kFastMaxPairs];
  Anchor anchorsB[kFastMaxPairs];
  for (int k = 0; k < count; ++k) {
    anchorsA[k] = Anchor{pairs[k].xa, pairs[k].ya, FastDirection128(pairs[k].da)};
    anchorsB[k] = Anchor{pairs[k].xb, pairs[k].yb, FastDirection128(pairs[k].db)};
  }
  FastMinutia recordsA[RIDGECORE_MAX_MINUTIAE];
  FastMinutia recordsB[RIDGECORE_MAX_MINUTIAE];
  const int countA = anchoredRecords(a, pairedA, anchorsA, count, recordsA);
  const int countB = anchoredRecords(b, pairedB, anchorsB, count, recordsB);
  const uint64_t none = 0;
  int found = 0;
  SweepMinutiae(recordsA, countA, recordsB, countB, count - 2, none, [&found](int, int, int) {
    ++found;
    return true;
  });
  return found;
}

}  // namespace ridgecore
