#pragma once

#include <cstring>

#include "fast/FastForm.h"
#include "match/synthetic/SyntheticMinutiae.h"

// Minutiae placed so that one behaviour of the fast comparison shows
// exactly: a cluster of minutiae that a shifted copy pairs one to one, and
// lone minutiae that nothing can pair.
namespace fastscenes {

using ridgecore::synthetic::Minutia;
using ridgecore::synthetic::MinutiaSet;

// count minutiae (at most 20) on a 10-pixel grid in the top left corner,
// all within a neighbour ring of each other, pointing in directions spread
// over the circle.
inline MinutiaSet cluster(int count) {
  MinutiaSet set;
  for (int k = 0; k < count; ++k) set.push_back({10 + 10 * (k % 4), 10 + 10 * (k / 4), (k * 37) % 128, true});
  return set;
}

// count minutiae (at most 18) in a strip on the right edge, beyond the
// sweep's reach of the cluster, pointing within 16 units of band. Two strips
// with bands 48 apart never pair with each other.
inline MinutiaSet strip(int count, int band, int offset) {
  MinutiaSet set;
  for (int k = 0; k < count; ++k)
    set.push_back({256 + 14 * (k % 3) + offset, 6 + 16 * (k / 3) + offset, band + k % 16, false});
  return set;
}

inline MinutiaSet joined(MinutiaSet a, const MinutiaSet& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline tagFASTFDATA fastRecord(const MinutiaSet& set) {
  tagFASTFDATA out;
  std::memset(&out, 0, sizeof out);
  ridgecore::ToFastForm(ridgecore::synthetic::MakeRecord(set), out);
  std::memcpy(out.mark, "1040TF", 6);
  return out;
}

// A stored impression: shared cluster minutiae and lone ones; the other
// impression: the cluster moved by (dx, dy) and other lone ones.
struct Scene {
  tagFASTFDATA stored;
  tagFASTFDATA other;
};
inline Scene scene(int shared, int alone, int dx = 12, int dy = 8) {
  const MinutiaSet core = cluster(shared);
  return Scene{fastRecord(joined(core, strip(alone, 0, 0))),
               fastRecord(joined(ridgecore::synthetic::Shifted(core, dx, dy), strip(alone, 48, 6)))};
}

// How a second impression of a finger of size minutiae may differ: moved,
// turned, thinned out, with spurious minutiae and noise.
inline ridgecore::synthetic::Distortion anyDistortion(ridgecore::synthetic::Random& random, int size) {
  ridgecore::synthetic::Distortion d;
  d.rotation = random.uniform(-50, 50) * 0.01;
  d.dx = random.uniform(-40, 40);
  d.dy = random.uniform(-40, 40);
  d.dropped = random.uniform(0, size * 3 / 4);
  d.added = random.uniform(0, 15);
  d.positionNoise = random.uniform(0, 10);
  d.directionNoise = random.uniform(0, 6);
  return d;
}

}  // namespace fastscenes
