#include "extract/SmallRegions.h"

#include "extract/Geometry.h"

namespace ridgecore {
namespace {

constexpr uint8_t kVisitedRidge = 1;
constexpr uint8_t kVisitedBackground = 254;
constexpr uint8_t kRelabel = 253;
constexpr int kSmallestHole = 100;
constexpr int kSmallestIsland = 50;

// Visits every region of `value`; regions smaller than `limit` take `replacement`,
// the others keep `visited` until the final sweep restores them.
void replaceSmall(uint8_t* binary, PixelFlood& flood, uint8_t value, bool eightConnected, int limit, uint8_t visited,
                  uint8_t replacement) {
  for (int p = 0; p < kImagePixels; ++p) {
    if (binary[p] != value) continue;
    const int size = flood.fill(
        p, eightConnected, [&](int n) { return binary[n] == value; }, [&](int n) { binary[n] = kRelabel; });
    const uint8_t result = size < limit ? replacement : visited;
    flood.fill(
        p, eightConnected, [&](int n) { return binary[n] == kRelabel; }, [&](int n) { binary[n] = result; });
  }
  for (int p = 0; p < kImagePixels; ++p) {
    if (binary[p] == visited) binary[p] = value;
  }
}

}  // namespace

void removeSmallRegions(uint8_t* binary, PixelFlood& flood) {
  replaceSmall(binary, flood, kBackground, false, kSmallestHole, kVisitedBackground, kRidge);
  replaceSmall(binary, flood, kRidge, true, kSmallestIsland, kVisitedRidge, kBackground);
}

}  // namespace ridgecore
