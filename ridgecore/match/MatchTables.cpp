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

MatchTables::MatchTables() {
  // A turn depends on the two angles only through their difference, except at half a turn.
  for (int d = -kMaxDifference; d <= kMaxDifference; ++d) {
    MatchMinutia a{};
    MatchMinutia b{};
    a.qangle = int16_t(d > 0 ? kMaxQuantised : d + kMaxQuantised);
    b.qangle = int16_t(a.qangle - d);
    a.angle = float(a.qangle * kRadiansPerUnit);
    b.angle = float(b.qangle * kRadiansPerUnit);
    turnByDifference_[d + kMaxDifference] = int16_t(exactTurn(a, b));
  }
  const double factor = matchParams().distanceFactor1024;
  for (int d = 0; d < 256; ++d) tolerance_[d] = int32_t(d * factor + 3072);
  for (int q = -kMaxQuantised; q <= kMaxQuantised; ++q) {
    sin_[q + kMaxQuantised] = std::sin(q * kRadiansPerUnit);
    cos_[q + kMaxQuantised] = std::cos(q * kRadiansPerUnit);
  }
  for (int s = 0; s <= kMaxSquared; ++s) distance_[s] = uint8_t(std::lround(std::sqrt(double(s))) & 0xFF);
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

double MatchTables::direction(int dx, int dy) const {
  const int hx = dx / 2;
  const int hy = dy / 2;
  if ((dx | dy) & 1 || std::abs(hx) > kHalfReach || std::abs(hy) > kHalfReach) return exactDirection(dx, dy);
  return direction_[(hy + kHalfReach) * kReachSide + hx + kHalfReach];
}

int MatchTables::distance(int squared) const {
  if (squared < 0 || squared > kMaxSquared) return int(std::lround(std::sqrt(double(squared))) & 0xFF);
  return distance_[squared];
}

}  // namespace ridgecore
