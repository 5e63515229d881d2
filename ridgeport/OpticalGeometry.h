#pragma once

// The geometry of the sensor's optics: where each pixel of the corrected frame
// comes from in the raw frame. The correction (FrameCorrector) resamples along
// it; the simulated sensor runs it backwards to make raw frames. Header only, so
// that both share one definition without the simulator linking the library.

#include <cmath>

namespace ridgeport::optics {

inline constexpr int kFrameWidth = 384;
inline constexpr int kFrameHeight = 300;
inline constexpr int kFrameSize = kFrameWidth * kFrameHeight;
inline constexpr int kCentreColumn = 192;

// The whole image: columns 42..341 of every row of the corrected frame.
inline constexpr int kImageSize = 300;
inline constexpr int kWholeLeft = 42;
// The preview: rows 100..199, columns 141..240.
inline constexpr int kPreviewSize = 100;
inline constexpr int kPreviewTop = 100;
inline constexpr int kPreviewLeft = 141;

// Source row (fractional) of corrected row i, 0..299: s(0) ~ 0.002, s(299) ~ 298.99.
inline double rowSource(int i) {
  const double q0 = -27.4593 - i * 0.026390635451505013;
  const double q1 = 3.3578 - i * 0.03209665551839465;
  const double r = q1 / q0;
  const double d = 166.34909468304028 / (r + 4.070442967511215);
  const double u = d - 42.1333;
  const double v = r * d + 5.1521;
  return std::sqrt(u * u + v * v) / std::sqrt(154.36521424999998) * 299;
}

// Slope of the ray to the c-th column from the centre: tan(c x one 192nd of atan 0.24).
inline double columnSlope(int c) {
  const double step = std::atan2(0.24, 1) * 0.005208333333333333;
  return std::tan(c * step);
}

// Where corrected column m of row y samples its row of the vertically resampled
// frame: value = trunc((1 - fraction) * S[column] + fraction * S[column + 1]),
// with column + 1 clamped to the row. valid false: the pixel stays 0 (outside the
// optics' field of view).
struct ColumnSample {
  bool valid = false;
  int column = 0;
  double fraction = 0;
};

inline ColumnSample columnSample(int y, int m, double slope) {
  if (m == kCentreColumn) return {true, kCentreColumn, 0.0};
  if (m < kCentreColumn) {
    const int c = kCentreColumn - m;
    const double x = 192 - (1100 - y) * slope - c * 0.28;
    if (!(x > 0)) return {};
    const int f = static_cast<int>(x);
    return {true, f, x - f};
  }
  const int c = m - kCentreColumn;
  const double x = (1100 - y) * slope + c * 0.28;
  if (!(x < 192)) return {};
  const int f = static_cast<int>(x);
  return {true, kCentreColumn + f, x - f};
}

inline int slopeIndex(int m) { return m < kCentreColumn ? kCentreColumn - m : m - kCentreColumn; }

// True when corrected pixel (y, m) is produced by the optics (not a dark margin).
inline bool producesPixel(int y, int m) { return columnSample(y, m, columnSlope(slopeIndex(m))).valid; }

}  // namespace ridgeport::optics
