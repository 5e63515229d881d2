#pragma once

#include <cstdint>
#include <vector>

#include "ridgecore.h"

// Minutiae sets made by hand or from a seed, and what happens to a finger
// between two impressions (rotation, shift, lost and spurious minutiae,
// position noise), so that the matcher can be exercised before and beside
// real prints. Deterministic for a seed on every platform.
namespace ridgecore::synthetic {

struct Minutia {
  int x = 0;  // image pixels; the record keeps x / 2
  int y = 0;
  int direction = 0;  // 0..127, 2 pi / 128 units, from +x towards +y
  bool bifurcation = true;
};

using MinutiaSet = std::vector<Minutia>;

// splitmix64: small, fast and the same everywhere.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t next();
  int uniform(int lo, int hi);  // lo..hi inclusive
  bool chance(int percent);

 private:
  uint64_t state_;
};

// count minutiae at least spacing pixels apart, margin pixels inside the
// 300 x 300 image, random directions and types, in extraction order.
MinutiaSet RandomMinutiae(Random& random, int count, int spacing = 20, int margin = 20);

struct Distortion {
  double rotation = 0;  // radians, about the image centre
  int dx = 0;           // pixels
  int dy = 0;
  int dropped = 0;         // minutiae lost
  int added = 0;           // spurious minutiae
  int positionNoise = 0;   // pixels, each axis, uniform
  int directionNoise = 0;  // direction units, uniform
};

// The set as another impression of the same finger would show it: minutiae
// carried off the image are lost, the rest in extraction order.
MinutiaSet Distort(const MinutiaSet& set, const Distortion& distortion, Random& random);

// Moves every minutia by (dx, dy) pixels, nothing else.
MinutiaSet Shifted(const MinutiaSet& set, int dx, int dy);

// Bifurcations first, each kind in raster order, as extraction lists them.
void OrderAsExtracted(MinutiaSet& set);

// A valid feature record of the set (its first 50 minutiae, coordinates
// halved), filler zero.
tagFDATA MakeRecord(const MinutiaSet& set);

// A completed classic template of three records (level 5).
tagENROLL MakeTemplate(const tagFDATA& slot0, const tagFDATA& slot1, const tagFDATA& slot2);

// A completed fast template of three fast records (level 5).
tagFASTENROLL MakeFastTemplate(const tagFASTFDATA& slot0, const tagFASTFDATA& slot1, const tagFASTFDATA& slot2);

// A genuine-like pair: a random finger and a distorted second impression.
struct RecordPair {
  tagFDATA first;
  tagFDATA second;
};
RecordPair GenuinePair(uint64_t seed);
// Two unrelated random fingers.
RecordPair ImpostorPair(uint64_t seed);

}  // namespace ridgecore::synthetic
