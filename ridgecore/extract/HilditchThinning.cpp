#include "extract/HilditchThinning.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "extract/Allocation.h"
#include "extract/Geometry.h"

namespace ridgecore {
namespace {

constexpr uint8_t kDeleted = 2;
// Neighbour offsets in bit order: right, up-right, up, up-left, left, down-left, down, down-right.
constexpr int kNeighbour[8] = {1,  1 - kImageSide, -kImageSide, -kImageSide - 1,
                               -1, kImageSide - 1, kImageSide,  kImageSide + 1};
constexpr unsigned kUpBit = 1u << 2, kLeftBit = 1u << 4;

constexpr int yokoi(unsigned neighbours) {
  auto background = [&](int k) { return ((neighbours >> (k & 7)) & 1u) ? 0 : 1; };
  int n = 0;
  for (int k = 0; k < 8; k += 2) n += background(k) - background(k) * background(k + 1) * background(k + 2);
  return n;
}

constexpr std::array<uint8_t, 256> kConnectivity = [] {
  std::array<uint8_t, 256> table{};
  for (unsigned m = 0; m < 256; ++m) table[m] = static_cast<uint8_t>(yokoi(m));
  return table;
}();

constexpr std::array<uint8_t, 256> kRidgeCount = [] {
  std::array<uint8_t, 256> table{};
  for (unsigned m = 0; m < 256; ++m) {
    for (unsigned b = m; b; b >>= 1) table[m] = static_cast<uint8_t>(table[m] + (b & 1));
  }
  return table;
}();

// Whether a ridge pixel may go, from its ridge neighbours (bits 0..7) and
// whether its upper (bit 8) and left (bit 9) neighbours went in this pass.
// The rest of the test, "not every neighbour went", needs the whole deleted set.
constexpr std::array<uint8_t, 1024> kDeletable = [] {
  std::array<uint8_t, 1024> table{};
  constexpr unsigned kFour = 1u | 1u << 2 | 1u << 4 | 1u << 6;
  for (unsigned i = 0; i < 1024; ++i) {
    const unsigned ridge = i & 0xFF;
    const bool upDeleted = i & 0x100, leftDeleted = i & 0x200;
    if ((upDeleted && !(ridge & kUpBit)) || (leftDeleted && !(ridge & kLeftBit))) continue;
    const bool ok = (ridge & kFour) != kFour && kRidgeCount[ridge] >= 2 && kConnectivity[ridge] == 1 &&
                    (!upDeleted || kConnectivity[ridge & ~kUpBit] == 1) &&
                    (!leftDeleted || kConnectivity[ridge & ~kLeftBit] == 1);
    table[i] = ok ? 1 : 0;
  }
  return table;
}();

// Whether the ridge pixel at p may go in this pass.
unsigned deletable(const uint8_t* p) {
  unsigned ridge = 0, deleted = 0;
  for (int k = 0; k < 8; ++k) {
    const uint8_t v = p[kNeighbour[k]];
    ridge |= static_cast<unsigned>(v != kBackground) << k;
    deleted |= static_cast<unsigned>(v == kDeleted) << k;
  }
  const unsigned index = ridge | (deleted & kUpBit) << 6 | (deleted & kLeftBit) << 5;
  return kDeletable[index] & static_cast<unsigned>((ridge & ~deleted) != 0);
}

// Deletions become background; written without branches so that it vectorises.
void removeDeleted(uint8_t* row) {
  for (int c = 0; c < kImageSide; ++c) {
    const uint8_t v = row[c];
    row[c] = v == kDeleted ? kBackground : v;
  }
}

// Eight flags (0 or 1) at p as one word: its lowest set bit names the first
// flagged pixel.
uint64_t flagGroup(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v & 0x0101010101010101ull;
}

}  // namespace

int connectivityNumber(unsigned neighbours) { return kConnectivity[neighbours & 0xFF]; }

void thinRidges(uint8_t* binary) {
  // A pixel can go only while it touches background through a 4-neighbour,
  // and deletions turn into background only after their pass: so a pass need
  // look only at the pixels flagged as touching background when it starts.
  // Flags are a superset (the test is repeated), refreshed around deletions.
  auto touching = allocateArray<uint8_t>(kImagePixels);
  std::memset(touching.get(), 0, kImagePixels);
  for (int r = 1; r <= kImageSide - 2; ++r) {
    for (int c = 1; c <= kImageSide - 2; ++c) {
      const uint8_t* p = binary + r * kImageSide + c;
      if (*p == kRidge && (p[-kImageSide] == kBackground || p[-1] == kBackground || p[1] == kBackground ||
                           p[kImageSide] == kBackground)) {
        touching[r * kImageSide + c] = 1;
      }
    }
  }
  bool active[kImageSide];
  for (bool& a : active) a = true;
  for (bool deletedAny = true; deletedAny;) {
    deletedAny = false;
    bool deletedInRow[kImageSide] = {};
    for (int r = 1; r <= kImageSide - 2; ++r) {
      if (active[r]) {
        uint8_t* row = binary + r * kImageSide;
        uint8_t* flags = touching.get() + r * kImageSide;
        // Flags are read eight at a time, each group once: flags raised while
        // it is walked belong to the next pass anyway.
        for (int group = 1; group <= kImageSide - 2; group += 8) {
          uint64_t pending = flagGroup(flags + group);
          while (pending) {
            const int c = group + __builtin_ctzll(pending) / 8;
            pending &= pending - 1;
            if (c > kImageSide - 2) break;
            if (!deletable(row + c)) continue;
            row[c] = kDeleted;
            flags[c] = 0;
            for (int step : {-kImageSide, -1, 1, kImageSide}) {
              if (row[c + step] == kRidge) flags[c + step] = 1;
            }
            deletedInRow[r] = true;
          }
        }
        deletedAny = deletedAny || deletedInRow[r];
      }
      // Deletions of the row above are final once this row has been scanned.
      if (r >= 2 && deletedInRow[r - 1]) removeDeleted(binary + (r - 1) * kImageSide);
    }
    removeDeleted(binary + (kImageSide - 2) * kImageSide);
    for (int r = 1; r <= kImageSide - 2; ++r) {
      if (active[r] && !deletedInRow[r]) active[r] = false;
    }
  }
}

}  // namespace ridgecore
