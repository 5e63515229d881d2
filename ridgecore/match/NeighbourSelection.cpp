#include "match/NeighbourSelection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "match/FixedSort.h"
#include "match/MatchAngles.h"
#include "match/MatchParams.h"
#include "match/MatchTables.h"
#include "match/NeighbourReach.h"

namespace ridgecore {
namespace {

NeighbourLink makeLink(const MatchList& list, int own, int other, int dx, int dy, const MatchTables& tables) {
  const MatchMinutia& a = list.minutiae[own];
  const MatchMinutia& b = list.minutiae[other];
  NeighbourLink link{};
  link.direction = static_cast<int16_t>(QuantiseAngle(WrapAngle(tables.direction(dx, dy) - a.angle)));
  link.orientation = static_cast<int16_t>(tables.turn(a, b));
  link.distance = static_cast<uint16_t>(tables.distance(dx * dx + dy * dy));
  link.index = static_cast<uint8_t>(other);
  link.bins = LinkBins(link.direction, link.orientation);
  return link;
}

void collectNeighbours(MatchList& list, int m) {
  MatchMinutia& own = list.minutiae[m];
  const int radius2 = matchParams().neighbourRadiusSquared;
  const MatchTables& tables = MatchTables::instance();
  int k = 0;
  for (int j = 0; j < list.count && k < kMaxNeighbourLinks; ++j) {
    if (j == m) continue;
    const int dx = list.minutiae[j].x - own.x;
    const int dy = list.minutiae[j].y - own.y;
    if (dx * dx + dy * dy <= radius2) own.neighbours[k++] = makeLink(list, m, j, dx, dy, tables);
  }
  own.neighbourCount = static_cast<uint8_t>(k);
}

// A float as an unsigned key in the same order (negative zero taken as zero,
// as the float comparison takes it).
uint32_t orderedKey(float v) {
  v += 0.0f;
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return (bits & 0x80000000u) ? ~bits : bits | 0x80000000u;
}

// Most salient first, cut to the kept number, then nearest first: what a
// stable sort by salience, the cut and a stable sort by distance give. As a
// total order (salience, then list position) the kept set is a selection, and
// the final order is by distance, then salience, then list position: both
// orders are held as integer keys.
void orderNeighbours(MatchList& list, int m) {
  MatchMinutia& own = list.minutiae[m];
  const int kept = matchParams().keptNeighbours;
  const int k = own.neighbourCount;
  uint64_t bySalience[kMaxNeighbourLinks];
  for (int i = 0; i < k; ++i) {
    const uint32_t lessSalient = ~orderedKey(list.minutiae[own.neighbours[i].index].salience);
    bySalience[i] = uint64_t{lessSalient} << 8 | uint64_t(i);
  }
  const int n = k < kept ? k : kept;
  if (k > kept) std::nth_element(bySalience, bySalience + kept - 1, bySalience + k);
  uint64_t byDistance[kMaxKeptNeighbours];
  for (int i = 0; i < n; ++i) {
    const int position = int(bySalience[i] & 0xFF);
    byDistance[i] = uint64_t{own.neighbours[position].distance} << 40 | bySalience[i];
  }
  StableSort(byDistance, n, [](uint64_t a, uint64_t b) { return a < b; });
  NeighbourLink top[kMaxKeptNeighbours] = {};
  for (int i = 0; i < n; ++i) top[i] = own.neighbours[byDistance[i] & 0xFF];
  std::memcpy(own.neighbours, top, sizeof top);  // fixed size, no string copy; entries past n are unused
  own.neighbourCount = static_cast<uint8_t>(n);
}

}  // namespace

void ComputeSalience(MatchList& list, int m) {
  MatchMinutia& own = list.minutiae[m];
  const int k = own.neighbourCount;
  if (k == 0) return;
  const MatchTables& tables = MatchTables::instance();
  const unsigned half = static_cast<unsigned>(k) / 2;
  uint32_t sumD = 0;
  uint32_t sumD2 = 0;
  double sumSin = 0;
  double sumCos = 0;
  for (int i = 0; i < k; ++i) {
    const NeighbourLink& link = own.neighbours[i];
    list.minutiae[link.index].salience = 0;
    const uint32_t d = uint32_t{link.distance} * 32;
    sumD += d;
    sumD2 += d * d;
    sumSin += tables.sinOfUnits(link.direction);
    sumCos += tables.cosOfUnits(link.direction);
  }
  // Unsigned as the stored sums are: when the rounded mean square falls just
  // below the squared rounded mean the difference wraps and the distance term
  // fades out.
  const uint32_t meanD = (sumD + half) / static_cast<unsigned>(k);
  const uint32_t variance = (sumD2 + half) / static_cast<unsigned>(k) - meanD * meanD;
  const double spreadD = std::round(std::sqrt(double(variance)));
  const double meanPhi = std::atan2(sumSin / k, sumCos / k + 0.0001);
  double sumDev2 = 0;
  for (int i = 0; i < k; ++i) {
    const double dev = WrapAngle(own.neighbours[i].direction * kRadiansPerUnit - meanPhi);
    sumDev2 += dev * dev;
  }
  const double spreadPhi = std::sqrt(sumDev2 / (k + 1e-7));
  for (int i = 0; i < k; ++i) {
    const NeighbourLink& link = own.neighbours[i];
    MatchMinutia& other = list.minutiae[link.index];
    const double phi = link.direction * kRadiansPerUnit;
    const long d = long{link.distance} * 32;
    other.salience = static_cast<float>(std::fabs(phi - meanPhi) * 2 / (spreadPhi + 0.00001) +
                                        double(std::labs(d - long{meanD})) * 6 / (spreadD + 0.00001) -
                                        tables.thirdOf(link.distance) + 0.6 * other.crowding);
  }
}

void SelectNeighbours(MatchList& list, int m) {
  collectNeighbours(list, m);
  ComputeSalience(list, m);
  orderNeighbours(list, m);
}

}  // namespace ridgecore
