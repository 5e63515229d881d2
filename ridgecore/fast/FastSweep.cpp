#include "fast/FastSweep.h"

namespace ridgecore {

int SweepFastPairs(const tagFASTFDATA& a, const tagFASTFDATA& b, int stop, int needed, FastPair* pairs,
                   uint64_t& pairedA, uint64_t& pairedB) {
  const FastMinutia* ma = FastMinutiae(a);
  const FastMinutia* mb = FastMinutiae(b);
  int count = 0;
  SweepMinutiae(ma, FastMinutiaCount(a), mb, FastMinutiaCount(b), needed, pairedA, [&](int ia, int ib, int matched) {
    pairs[count++] = FastPair{ma[ia].x,         mb[ib].x,         ma[ia].y,    mb[ib].y,   ma[ia].direction,
                              mb[ib].direction, uint8_t(matched), uint8_t(ia), uint8_t(ib)};
    pairedA |= uint64_t{1} << ia;
    pairedB |= uint64_t{1} << ib;
    return count < stop;
  });
  return count;
}

}  // namespace ridgecore
