#pragma once

#include <cstring>
#include <vector>

#include "match/synthetic/SyntheticMinutiae.h"

// Minutiae sets placed by hand, each made so that one behaviour of the
// matcher shows exactly.
namespace handplaced {

using ridgecore::synthetic::Minutia;
using ridgecore::synthetic::MinutiaSet;

// Twelve minutiae spread over the middle of the image: each sees enough of
// the others that a copy pairs every one of them.
inline const MinutiaSet kTwelve = {{96, 88, 12, true},    {150, 72, 40, true},  {204, 98, 75, false},
                                   {120, 130, 101, true}, {176, 136, 6, false}, {226, 160, 33, true},
                                   {84, 170, 58, false},  {140, 186, 90, true}, {196, 204, 117, true},
                                   {102, 226, 22, false}, {160, 238, 66, true}, {218, 232, 95, false}};

inline MinutiaSet firstOf(const MinutiaSet& set, int n) { return MinutiaSet(set.begin(), set.begin() + n); }

// A few core minutiae close together, and four outer ones on a ring around
// them, too far from each other to be neighbours: an outer minutia sees only
// the cores, too few to be paired, so only the cores can pair.
inline MinutiaSet star(int cores) {
  const Minutia core[3] = {{140, 144, 10, true}, {160, 146, 50, true}, {150, 162, 90, true}};
  MinutiaSet set(core, core + cores);
  const Minutia ring[4] = {{270, 150, 20, true}, {150, 270, 70, true}, {30, 150, 100, true}, {150, 30, 120, true}};
  set.insert(set.end(), ring, ring + 4);
  return set;
}

// The set with a twin 4 pixels to the right of each of its first n minutiae,
// listed right after it.
inline MinutiaSet withTwins(const MinutiaSet& set, int n) {
  MinutiaSet out;
  for (size_t k = 0; k < set.size(); ++k) {
    out.push_back(set[k]);
    if (int(k) < n) out.push_back({set[k].x + 4, set[k].y, set[k].direction, set[k].bifurcation});
  }
  return out;
}

// Another finger: pseudo-random minutiae that share nothing with the sets above.
inline MinutiaSet otherFinger(uint64_t seed, int count = 30) {
  ridgecore::synthetic::Random random(seed);
  return ridgecore::synthetic::RandomMinutiae(random, count);
}

inline tagFDATA otherRecord(uint64_t seed) { return ridgecore::synthetic::MakeRecord(otherFinger(seed)); }

// A template that holds the finger only in the given slot; the others are other fingers.
inline tagENROLL onlyInSlot(int slot, const MinutiaSet& finger, uint64_t seed) {
  tagFDATA slots[3] = {otherRecord(seed), otherRecord(seed + 1), otherRecord(seed + 2)};
  slots[slot] = ridgecore::synthetic::MakeRecord(finger);
  return ridgecore::synthetic::MakeTemplate(slots[0], slots[1], slots[2]);
}

// User records as the data file holds them: the template at offset 52 of 3656
// bytes, the rest of each record filled with 0xEE.
class UserRecords {
 public:
  static constexpr int kSize = 3656;
  static constexpr int kOffset = 52;

  void add(const tagENROLL& e) {
    bytes_.resize(bytes_.size() + kSize, 0xEE);
    std::memcpy(bytes_.data() + bytes_.size() - kSize + kOffset, &e, sizeof e);
  }
  unsigned char* data() { return bytes_.data(); }
  const unsigned char* data() const { return bytes_.data(); }
  int count() const { return int(bytes_.size() / kSize); }

 private:
  std::vector<unsigned char> bytes_;
};

}  // namespace handplaced
