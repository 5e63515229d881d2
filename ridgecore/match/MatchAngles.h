#pragma once

#include <cmath>
#include <cstdlib>

// Angles of the matcher. Minutia angles and the angles inside neighbour links
// are kept on one grid of pi/256 ("units", 512 to a full turn), so that two
// lists from different records compare as small integers.
namespace ridgecore {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr double kUnitsPerRadian = 81.4873308835;  // 256 / pi
inline constexpr double kRadiansPerUnit = 0.0122718463;   // pi / 256
inline constexpr int kHalfTurnUnits = 256;
inline constexpr int kFullTurnUnits = 512;
inline constexpr int kMaxQuantisedAngle = 255;

// Into (-pi, pi] by one step of 2 pi: inputs never lie further out.
inline double WrapAngle(double a) {
  if (a > kPi) return a - kTwoPi;
  if (a <= -kPi) return a + kTwoPi;
  return a;
}

// Half away from zero, exactly as lround, for the small values of the
// matcher: the fraction x - trunc(x) is exact below 2^52.
inline long RoundHalfAway(double x) {
  long t = static_cast<long>(x);
  const double f = x - static_cast<double>(t);
  if (f >= 0.5) ++t;
  if (f <= -0.5) --t;
  return t;
}

// Radians to units, half away from zero, clamped to -255..255 (the links keep
// nine signed bits).
inline int QuantiseAngle(double radians) {
  const long q = RoundHalfAway(radians * kUnitsPerRadian);
  if (q > kMaxQuantisedAngle) return kMaxQuantisedAngle;
  if (q < -kMaxQuantisedAngle) return -kMaxQuantisedAngle;
  return static_cast<int>(q);
}

// A difference of two unit angles, brought into -256..256.
inline int WrapUnits(int d) {
  if (d > kHalfTurnUnits) return d - kFullTurnUnits;
  if (d < -kHalfTurnUnits) return d + kFullTurnUnits;
  return d;
}

// The size of a unit-angle difference on the circle, 0..256.
inline int UnitMagnitude(int d) {
  const int m = std::abs(WrapUnits(d));
  return m > kHalfTurnUnits ? kFullTurnUnits - m : m;
}

}  // namespace ridgecore
