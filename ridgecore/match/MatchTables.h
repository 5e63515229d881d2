#pragma once

#include <cstdint>

#include "match/MatchMinutia.h"

// Lookup tables of the comparison, built once on first use. Every entry is
// the value the matcher's formula gives for that input, so a lookup and the
// formula can never disagree.
namespace ridgecore {

class MatchTables {
 public:
  static const MatchTables& instance();

  // QuantiseAngle(WrapAngle(a.angle - b.angle)): the quantised turn from b to a.
  int turn(const MatchMinutia& a, const MatchMinutia& b) const {
    const int d = a.qangle - b.qangle;
    if (d == kHalfTurn || d == -kHalfTurn) return exactTurn(a, b);  // half a turn: the float rounding decides the sign
    return turnByDifference_[d + kMaxDifference];
  }
  // |WrapAngle(a.angle - b.angle)| < limit, the rotation limit of the coarse test.
  bool withinRotation(const MatchMinutia& a, const MatchMinutia& b) const {
    return withinRotation_[a.qangle - b.qangle + kMaxDifference];
  }
  static bool exactWithinRotation(const MatchMinutia& a, const MatchMinutia& b);
  // atan2(dy, dx + 0.00001) for a neighbour offset in pixels.
  double direction(int dx, int dy) const {
    const int hx = dx / 2;
    const int hy = dy / 2;
    if (((dx | dy) & 1) || hx < -kHalfReach || hx > kHalfReach || hy < -kHalfReach || hy > kHalfReach)
      return exactDirection(dx, dy);
    return direction_[(hy + kHalfReach) * kReachSide + hx + kHalfReach];
  }
  // Rounded Euclidean distance (modulo 256) of a squared distance.
  int distance(int squared) const {
    if (squared < 0 || squared > kMaxSquared) return exactDistance(squared);
    return distance_[squared];
  }
  // trunc(d x 245.76 + 3072): how far two neighbour distances may differ, in 1/1024 pixels.
  int distanceTolerance(int d) const { return tolerance_[d & 0xFF]; }
  // distance / 3.0, the distance term of the salience.
  double thirdOf(int distance) const { return third_[distance & 0xFF]; }
  double sinOfUnits(int q) const { return sin_[q + kMaxQuantised]; }
  double cosOfUnits(int q) const { return cos_[q + kMaxQuantised]; }

  static int exactTurn(const MatchMinutia& a, const MatchMinutia& b);
  static double exactDirection(int dx, int dy);
  static int exactDistance(int squared);

 private:
  MatchTables();

  static constexpr int kHalfTurn = 256;
  static constexpr int kMaxQuantised = 255;
  static constexpr int kMaxDifference = 2 * kMaxQuantised;
  static constexpr int kHalfReach = 72;  // neighbour offsets are even pixels within 145: halves within 72
  static constexpr int kReachSide = 2 * kHalfReach + 1;
  static constexpr int kMaxSquared = 145 * 145;

  int16_t turnByDifference_[2 * kMaxDifference + 1];
  bool withinRotation_[2 * kMaxDifference + 1];
  int32_t tolerance_[256];
  double third_[256];
  double sin_[2 * kMaxQuantised + 1];
  double cos_[2 * kMaxQuantised + 1];
  uint8_t distance_[kMaxSquared + 1];
  double direction_[kReachSide * kReachSide];
};

}  // namespace ridgecore
