#include "extract/HilditchThinning.h"

#include "extract/Geometry.h"

namespace ridgecore {
namespace {

constexpr uint8_t kDeleted = 2;
// Neighbour offsets in bit order: right, up-right, up, up-left, left, down-left, down, down-right.
constexpr int kNeighbour[8] = {1,  1 - kImageSide, -kImageSide, -kImageSide - 1,
                               -1, kImageSide - 1, kImageSide,  kImageSide + 1};
constexpr unsigned kUpBit = 1u << 2, kLeftBit = 1u << 4;
constexpr unsigned kFourNeighbourBits = 1u | (1u << 2) | (1u << 4) | (1u << 6);

}  // namespace

int connectivityNumber(unsigned neighbours) {
  auto background = [&](int k) { return ((neighbours >> (k & 7)) & 1u) ? 0 : 1; };
  int n = 0;
  for (int k = 0; k < 8; k += 2) n += background(k) - background(k) * background(k + 1) * background(k + 2);
  return n;
}

void thinRidges(uint8_t* binary) {
  bool active[kImageSide];
  for (bool& a : active) a = true;
  for (bool deletedAny = true; deletedAny;) {
    deletedAny = false;
    bool deletedInRow[kImageSide] = {};
    for (int r = 1; r <= kImageSide - 2; ++r) {
      if (active[r]) {
        for (int c = 1; c <= kImageSide - 2; ++c) {
          const int p = r * kImageSide + c;
          if (binary[p] != kRidge) continue;
          unsigned ridge = 0, deleted = 0;
          for (int k = 0; k < 8; ++k) {
            const uint8_t v = binary[p + kNeighbour[k]];
            if (v != kBackground) ridge |= 1u << k;
            if (v == kDeleted) deleted |= 1u << k;
          }
          const int ridgeCount = __builtin_popcount(ridge);
          if ((ridge & kFourNeighbourBits) == kFourNeighbourBits) continue;  // no background 4-neighbour
          if (ridgeCount < 2) continue;
          if (ridge == deleted) continue;  // every neighbour deleted in this pass
          if (connectivityNumber(ridge) != 1) continue;
          if ((deleted & kUpBit) && connectivityNumber(ridge & ~kUpBit) != 1) continue;
          if ((deleted & kLeftBit) && connectivityNumber(ridge & ~kLeftBit) != 1) continue;
          binary[p] = kDeleted;
          deletedInRow[r] = true;
          deletedAny = true;
        }
      }
      // Deletions of the row above are final once this row has been scanned.
      if (r >= 2) {
        uint8_t* above = binary + (r - 1) * kImageSide;
        if (deletedInRow[r - 1]) {
          for (int c = 0; c < kImageSide; ++c) {
            if (above[c] == kDeleted) above[c] = kBackground;
          }
        }
      }
    }
    uint8_t* last = binary + (kImageSide - 2) * kImageSide;
    for (int c = 0; c < kImageSide; ++c) {
      if (last[c] == kDeleted) last[c] = kBackground;
    }
    for (int r = 1; r <= kImageSide - 2; ++r) {
      if (active[r] && !deletedInRow[r]) active[r] = false;
    }
  }
}

}  // namespace ridgecore
