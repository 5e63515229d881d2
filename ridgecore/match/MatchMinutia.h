#pragma once

#include <cstdint>

// The working form of a feature record during a comparison: minutiae in
// image pixels with their neighbourhoods. Fixed sizes: a comparison never
// allocates.
namespace ridgecore {

inline constexpr int kMaxMatchMinutiae = 50;
inline constexpr int kMaxNeighbourLinks = 50;
inline constexpr int kMaxKeptNeighbours = 17;
inline constexpr int kDirectionBins = 16;          // of 32 units each
inline constexpr int kMaxNeighbourDistance = 145;  // the neighbourhood radius

enum MinutiaType : uint8_t { kRidgeEnding = 1, kBifurcation = 2 };

// One neighbour as a minutia sees it. Both angles are signed pi/256 units
// within -255..255 (they fit the nine-bit fields of a packed link; kept apart
// here because the comparison reads them separately).
struct NeighbourLink {
  int16_t direction;    // where the neighbour lies, relative to the own angle
  int16_t orientation;  // own angle minus the neighbour's angle
  uint16_t distance;    // rounded Euclidean distance, modulo 256
  uint8_t index;        // the neighbour's position in its list
  uint8_t bins;         // direction bin << 4 | orientation bin (32 units each), for NeighbourReach
};

struct MatchMinutia {
  int16_t x;  // image pixels (record value times 2)
  int16_t y;
  uint8_t type;    // MinutiaType
  int16_t qangle;  // pi/256 units, -255..255
  float angle;     // qangle in radians
  float crowding;  // minus the number of other minutiae closer than 60
  float salience;  // weight as somebody's neighbour; rewritten by every neighbour selection
  uint8_t neighbourCount;
  NeighbourLink neighbours[kMaxNeighbourLinks];  // sorted by distance once selected
};

// Which kept neighbours of a searched minutia (bit = position in its list) a
// scanned neighbour can be compared with, so that a local comparison visits
// only those: by the scanned neighbour's distance (the ones within distance
// tolerance), and by the bins of its relative direction and orientation (the
// ones in that bin or the two beside it: a superset of those within tolerance).
struct NeighbourReach {
  uint32_t byDistance[kMaxNeighbourDistance + 1];
  uint32_t byBins[kDirectionBins * kDirectionBins];  // indexed by a link's bins
};

struct MatchList {
  int count = 0;
  bool reachIndexed = false;  // reach filled: needed on the searched side
  MatchMinutia minutiae[kMaxMatchMinutiae];
  NeighbourReach reach[kMaxMatchMinutiae];
};

}  // namespace ridgecore
