#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <cstdint>

// The colour steps of the popup's and the login-required frame's backgrounds.
namespace widgets {

// A colour value as the design writes it: 0x00BBGGRR (16764057 is RGB 99 CC FF).
QColor colorFromTColor(std::uint32_t value);

// a * b / c in 64 bits, rounded half away from zero; -1 when c is 0 or the result
// does not fit an int (the platform's MulDiv).
int MulDiv(int a, int b, int c);

// Step n of d steps from c1 to c2: per channel c1 + (n - 1) * (c2 - c1) / (d - 1)
// by MulDiv, so step 1 is c1 and step d is c2. One step only (d <= 1) is c1.
QColor gradientStep(const QColor& c1, const QColor& c2, int n, int d);

// A picture of `size` whose rows (Qt::Vertical) or columns (Qt::Horizontal) run
// from c1 to c2: line i gets step i + 1 of (length + 1) steps, so the last line
// stops one step short of c2.
QImage gradientImage(const QSize& size, const QColor& c1, const QColor& c2, Qt::Orientation orientation);

// Rows from c1 at the top to c2 at half the height and back to c1 at the bottom:
// with h = height / 2, row i <= h gets step i + 1 of h + 1 from c1 to c2, row r >= h
// step r - h + 1 of h + 1 from c2 to c1.
QImage twoWayGradientImage(const QSize& size, const QColor& c1, const QColor& c2);

}  // namespace widgets
