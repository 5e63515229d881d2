#include "ridgeport/FrameCorrector.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace ridgeport {

using namespace optics;

namespace {

constexpr int kLastColumn = kFrameWidth - 1;

inline std::uint8_t blend(const std::uint8_t* row, int column, double fraction) {
  const int next = std::min(column + 1, kLastColumn);  // x just below 192 reads one past the row
  return static_cast<std::uint8_t>((1 - fraction) * row[column] + fraction * row[next]);
}

}  // namespace

FrameCorrector::RowStep FrameCorrector::rowStep(int i) {
  const double s = rowSource(i);
  RowStep step;
  step.e = static_cast<int>(s);
  step.o = static_cast<int>(rowSource(i - 1));
  step.n = step.e == step.o ? 2 : step.e - step.o + 1;
  step.next = s - step.e;
  step.self = step.e + 1 - s;
  return step;
}

// One corrected row: per column the source value at s(i), averaged with the one
// at s(i - 1) (prev) and the whole rows between them. The two common shapes get
// loops of their own; halving is exact, so n = 2 multiplies by 0.5.
void FrameCorrector::resampleRow(const std::uint8_t* raw, const RowStep& step, double* prev, std::uint8_t* target) {
  const std::uint8_t* row = raw + step.e * kFrameWidth;
  const std::uint8_t* below = raw + std::min(step.e + 1, kFrameHeight - 1) * kFrameWidth;
  const double next = step.next, self = step.self;
  if (step.e - step.o <= 1) {
    for (int x = 0; x < kFrameWidth; ++x) {
      const double cur = below[x] * next + row[x] * self;
      target[x] = static_cast<std::uint8_t>((prev[x] + cur) * 0.5);
      prev[x] = cur;
    }
  } else if (step.e - step.o == 2) {
    const std::uint8_t* between = raw + (step.o + 1) * kFrameWidth;
    for (int x = 0; x < kFrameWidth; ++x) {
      const double cur = below[x] * next + row[x] * self;
      target[x] = static_cast<std::uint8_t>((prev[x] + cur + between[x]) / 3);
      prev[x] = cur;
    }
  } else {
    for (int x = 0; x < kFrameWidth; ++x) {
      const double cur = below[x] * next + row[x] * self;
      int sum = 0;
      for (int r = step.o + 1; r < step.e; ++r) sum += raw[r * kFrameWidth + x];
      target[x] = static_cast<std::uint8_t>((prev[x] + cur + sum) / step.n);
      prev[x] = cur;
    }
  }
}

FrameCorrector::FrameCorrector() : columns_(kFrameSize), fractions_(kFrameSize) {
  for (int i = 1; i < kFrameHeight; ++i) rowSteps_[i] = rowStep(i);
  std::array<double, kCentreColumn + 1> slopes{};
  for (int c = 0; c <= kCentreColumn; ++c) slopes[c] = columnSlope(c);
  for (int y = 0; y < kFrameHeight; ++y) {
    RowSamples& range = rowSamples_[y];
    range.first = kFrameWidth;
    for (int m = 0; m < kFrameWidth; ++m) {
      ColumnSample sample = columnSample(y, m, slopes[slopeIndex(m)]);
      columns_[y * kFrameWidth + m] = static_cast<std::int16_t>(sample.column);
      fractions_[y * kFrameWidth + m] = sample.fraction;
      if (!sample.valid) continue;
      range.first = std::min(range.first, m);
      range.last = m;
    }
  }
}

const FrameCorrector& FrameCorrector::shared() {
  static const FrameCorrector tables;
  return tables;
}

void FrameCorrector::resampleRows(const std::uint8_t* raw, std::uint8_t* out) const {
  std::vector<double> prev(raw, raw + kFrameWidth);
  std::memcpy(out, raw, kFrameWidth);
  for (int i = 1; i < kFrameHeight; ++i) resampleRow(raw, rowSteps_[i], prev.data(), out + i * kFrameWidth);
}

void FrameCorrector::resampleColumns(const std::uint8_t* rows, std::uint8_t* out) const {
  for (int y = 0; y < kFrameHeight; ++y) {
    const std::uint8_t* row = rows + y * kFrameWidth;
    const std::int16_t* columns = &columns_[y * kFrameWidth];
    const double* fractions = &fractions_[y * kFrameWidth];
    std::uint8_t* target = out + y * kFrameWidth;
    const RowSamples& range = rowSamples_[y];
    // Outside the optics' field of view the pixels are dark.
    std::memset(target, 0, range.first);
    for (int m = range.first; m <= range.last; ++m) target[m] = blend(row, columns[m], fractions[m]);
    std::memset(target + range.last + 1, 0, kFrameWidth - 1 - range.last);
  }
}

void FrameCorrector::correct(std::uint8_t* frame) const {
  // One scratch frame per call (the library keeps no image memory between
  // calls); the columns are resampled straight back into the frame.
  auto rows = std::make_unique_for_overwrite<std::uint8_t[]>(kFrameSize);
  resampleRows(frame, rows.get());
  resampleColumns(rows.get(), frame);
}

void correctFrameDirect(std::uint8_t* frame) {
  std::vector<std::uint8_t> rows(kFrameSize), out(kFrameSize, 0);
  std::vector<double> prev(frame, frame + kFrameWidth);
  std::memcpy(rows.data(), frame, kFrameWidth);
  for (int i = 1; i < kFrameHeight; ++i)
    FrameCorrector::resampleRow(frame, FrameCorrector::rowStep(i), prev.data(), &rows[i * kFrameWidth]);
  for (int y = 0; y < kFrameHeight; ++y) {
    for (int m = 0; m < kFrameWidth; ++m) {
      ColumnSample sample = columnSample(y, m, columnSlope(slopeIndex(m)));
      if (sample.valid) out[y * kFrameWidth + m] = blend(&rows[y * kFrameWidth], sample.column, sample.fraction);
    }
  }
  std::memcpy(frame, out.data(), kFrameSize);
}

}  // namespace ridgeport
