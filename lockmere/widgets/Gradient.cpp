#include "lockmere/widgets/Gradient.h"

#include <QPainter>
#include <cstdlib>
#include <limits>

namespace widgets {

QColor colorFromTColor(std::uint32_t value) {
  return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>((value >> 16) & 0xFF));
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const bool negative = (product < 0) != (c < 0);
  const std::uint64_t magnitude = static_cast<std::uint64_t>(std::llabs(product));
  const std::uint64_t divisor = static_cast<std::uint64_t>(std::llabs(static_cast<std::int64_t>(c)));
  const std::uint64_t rounded = (magnitude + divisor / 2) / divisor;
  if (rounded > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) return -1;
  return negative ? -static_cast<int>(rounded) : static_cast<int>(rounded);
}

QColor gradientStep(const QColor& c1, const QColor& c2, int n, int d) {
  if (d <= 1) return c1;
  auto channel = [&](int from, int to) { return from + MulDiv(n - 1, to - from, d - 1); };
  return QColor(channel(c1.red(), c2.red()), channel(c1.green(), c2.green()), channel(c1.blue(), c2.blue()));
}

QImage gradientImage(const QSize& size, const QColor& c1, const QColor& c2, Qt::Orientation orientation) {
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) return image;
  QPainter painter(&image);
  if (orientation == Qt::Vertical) {
    for (int i = 0; i < size.height(); ++i) {
      painter.setPen(gradientStep(c1, c2, i + 1, size.height() + 1));
      painter.drawLine(0, i, size.width() - 1, i);
    }
  } else {
    for (int i = 0; i < size.width(); ++i) {
      painter.setPen(gradientStep(c1, c2, i + 1, size.width() + 1));
      painter.drawLine(i, 0, i, size.height() - 1);
    }
  }
  return image;
}

QImage twoWayGradientImage(const QSize& size, const QColor& c1, const QColor& c2) {
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) return image;
  QPainter painter(&image);
  const int h = size.height() / 2;
  for (int r = 0; r < size.height(); ++r) {
    painter.setPen(r <= h ? gradientStep(c1, c2, r + 1, h + 1) : gradientStep(c2, c1, r - h + 1, h + 1));
    painter.drawLine(0, r, size.width() - 1, r);
  }
  return image;
}

}  // namespace widgets
