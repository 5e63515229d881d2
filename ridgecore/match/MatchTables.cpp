#include "match/MatchTables.h"

#include <cmath>
#include <cstdlib>

#include "match/MatchAngles.h"
#include "match/MatchParams.h"

namespace ridgecore {

int MatchTables::exactTurn(const MatchMinutia& a, const MatchMinutia& b) {
  return QuantiseAngle(WrapAngle(double{a.angle} - b.angle));
}

double MatchTables::exactDirection(int dx, int dy) { return std::atan2(dy, dx + 0.00001); }

bool MatchTables::exactWithinRotation(const MatchMinutia& a, const MatchMinutia& b) {
  return std::fabs(WrapAngle(double{a.angle} - b.angle)) < matchParams().rotationLimit;
}

int MatchTables::exactDistance(int squared) { return int(std::lround(std::sqrt(double(squared))) & 0xFF); }

MatchTables::MatchTables() {
  // A turn depends on the two angles only through their difference, except at half a turn;
  // the rotation test through their difference alone.
  for (int d = -kMaxDifference; d <= kMaxDifference; ++d) {
    MatchMinutia a{};
    MatchMinutia b{};
    a.qangle = int16_t(d > 0 ? kMaxQuantised : d + kMaxQuantised);
    b.qangle = int16_t(a.qangle - d);
    a.angle = float(a.qangle * kRadiansPerUnit);
    b.angle = float(b.qangle * kRadiansPerUnit);
    turnByDifference_[d + kMaxDifference] = int16_t(exactTurn(a, b));
    withinRotation_[d + kMaxDifference] = exactWithinRotation(a, b);  // far from the limit at half a turn
  }
  const double factor = matchParams().distanceFactor1024;
  for (int d = 0; d < 256; ++d) {
    tolerance_[d] = int32_t(d * factor + 3072);
    third_[d] = d / 3.0;
  }
  for (int q = -kMaxQuantised; q <= kMaxQuantised; ++q) {
    sin_[q + kMaxQuantised] = std::sin(q * kRadiansPerUnit);
    cos_[q + kMaxQuantised] = std::cos(q * kRadiansPerUnit);
  }
  for (int s = 0; s <= kMaxSquared; ++s) distance_[s] = uint8_t(exactDistance(s));
  for (int hy = -kHalfReach; hy <= kHalfReach; ++hy) {
    for (int hx = -kHalfReach; hx <= kHalfReach; ++hx) {
      direction_[(hy + kHalfReach) * kReachSide + hx + kHalfReach] = exactDirection(2 * hx, 2 * hy);
    }
  }
}

const MatchTables& MatchTables::instance() {
  static const MatchTables tables;
  return tables;
}

}  // namespace ridgecore
