#pragma once

#include <cstdint>

#include "ridgecore.h"

// The fast feature form: every minutia carries its neighbourhood in small
// integers, so that a comparison only walks sorted byte lists.
namespace ridgecore {

inline constexpr int kFastNeighbourSlots = 25;
inline constexpr int kFastEmptyDistance = 127;

#pragma pack(push, 1)
struct FastNeighbour {
  uint8_t distance;            // record units; read as a signed byte, as the entries are sorted
  int8_t relativeDirection;    // 2 pi / 128 units: where the neighbour lies, seen from the minutia's direction
  int8_t relativeOrientation;  // 2 pi / 128 units: own direction minus the neighbour's
  uint8_t index;               // the neighbour's position in the source feature record
};

struct FastMinutia {
  uint8_t x;  // pixel column / 2, as in the feature record
  uint8_t y;
  int8_t direction;  // 2 pi / 128 units, -63..64
  uint8_t neighbourCount;
  FastNeighbour neighbours[kFastNeighbourSlots];  // nearest first
};
#pragma pack(pop)

static_assert(sizeof(FastNeighbour) == 4, "FastNeighbour layout");

// The bits of a neighbour entry read as a 32-bit word that hold its values
// (distance and both angles); the index plays no part in any comparison.
inline constexpr uint32_t kFastNeighbourValueBits = 0xFFFFFFu;
static_assert(sizeof(FastMinutia) == 104, "FastMinutia layout");
static_assert(sizeof(tagFASTFDATA::minutiae[0]) == sizeof(FastMinutia), "fast record slots");

inline const FastMinutia* FastMinutiae(const tagFASTFDATA& record) {
  return reinterpret_cast<const FastMinutia*>(record.minutiae);
}
inline FastMinutia* FastMinutiae(tagFASTFDATA& record) { return reinterpret_cast<FastMinutia*>(record.minutiae); }

// The minutiae a fast record holds (a record that claims more than 50 holds 50).
int FastMinutiaCount(const tagFASTFDATA& record);

// The neighbours a minutia holds (a count above 25 stands for 25).
inline int FastNeighbourCount(const FastMinutia& m) {
  return m.neighbourCount > kFastNeighbourSlots ? kFastNeighbourSlots : m.neighbourCount;
}

// The signed direction of a feature record's direction byte (bits 1..7).
inline int FastDirection(int recordDirection) {
  return recordDirection <= 64 ? recordDirection : recordDirection - 128;
}
// And back to 0..127.
inline int FastDirection128(int direction) { return direction & 127; }

// One neighbour entry of the minutia at (x, y) with direction 0..127 for a
// neighbour at (nx, ny) with direction nd (0..127), all in record units.
FastNeighbour MakeFastNeighbour(int x, int y, int direction, int nx, int ny, int nd, int index);

// Nearest first by the distance read as a signed byte; equal distances keep
// their order.
void SortFastNeighbours(FastNeighbour* entries, int count);

// Writes the fast form of a feature record into out: byte 0 the count,
// bytes 1..3 zero, the minutia records 0..n-1 sorted by x, then y. The mark
// and the records past n are left as they are (the caller has zeroed or
// filled them). The same source always gives the same bytes.
void ToFastForm(const tagFDATA& source, tagFASTFDATA& out);

}  // namespace ridgecore
