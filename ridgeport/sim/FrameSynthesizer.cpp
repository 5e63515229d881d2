#include "ridgeport/sim/FrameSynthesizer.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "ridgeport/OpticalGeometry.h"

namespace ridgeport::sim {

using namespace ridgeport::optics;

namespace {

// Both resampling steps truncate; on average each loses half a grey level.
constexpr double kTruncationLoss = 1.0;

// A pixel in a flat neighbourhood is resampled from equal values: nothing is
// lost to the truncation there.
bool flat(const GreyImage& image, int x, int y) {
  const std::uint8_t v = image.at(x, y);
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) {
      const int xx = std::clamp(x + dx, 0, image.width - 1), yy = std::clamp(y + dy, 0, image.height - 1);
      if (image.at(xx, yy) != v) return false;
    }
  return true;
}

double dot(const std::vector<double>& a, const std::vector<double>& b) {
  return std::inner_product(a.begin(), a.end(), b.begin(), 0.0);
}

// Source rows and weights of the interpolated value at s(i) (row 0 itself for i = 0).
void rowPoint(int i, double scale, std::vector<std::pair<int, double>>& taps) {
  if (i == 0) {
    taps.push_back({0, scale});
    return;
  }
  const double s = rowSource(i);
  const int e = static_cast<int>(s);
  taps.push_back({std::min(e + 1, kFrameHeight - 1), (s - e) * scale});
  taps.push_back({e, (e + 1 - s) * scale});
}

}  // namespace

FrameSynthesizer::FrameSynthesizer()
    : rowTaps_(kFrameHeight), columnTaps_(std::size_t(kFrameSize) * 2), mask_(kFrameSize, 0.0) {
  rowTaps_[0] = {{0, 1.0}};
  for (int i = 1; i < kFrameHeight; ++i) {
    const int e = static_cast<int>(rowSource(i));
    const int o = static_cast<int>(rowSource(i - 1));
    const int n = e == o ? 2 : e - o + 1;
    std::vector<std::pair<int, double>> taps;
    rowPoint(i, 1.0 / n, taps);
    rowPoint(i - 1, 1.0 / n, taps);
    for (int r = o + 1; r < e; ++r) taps.push_back({r, 1.0 / n});
    for (auto [row, w] : taps) rowTaps_[i].push_back({row, w});
  }
  for (int y = 0; y < kFrameHeight; ++y) {
    for (int m = 0; m < kFrameWidth; ++m) {
      const ColumnSample sample = columnSample(y, m, columnSlope(slopeIndex(m)));
      Tap* taps = &columnTaps_[(std::size_t(y) * kFrameWidth + m) * 2];
      if (!sample.valid) {
        taps[0] = taps[1] = {0, 0.0};
        continue;
      }
      taps[0] = {sample.column, 1 - sample.fraction};
      taps[1] = {std::min(sample.column + 1, kFrameWidth - 1), sample.fraction};
      if (m >= kWholeLeft && m < kWholeLeft + kImageSize) mask_[y * kFrameWidth + m] = 1.0;
    }
  }
}

const FrameSynthesizer& FrameSynthesizer::shared() {
  static const FrameSynthesizer synthesizer;
  return synthesizer;
}

void FrameSynthesizer::forward(const std::vector<double>& raw, std::vector<double>& corrected) const {
  std::vector<double> rows(kFrameSize, 0.0);
  for (int i = 0; i < kFrameHeight; ++i) {
    double* out = &rows[std::size_t(i) * kFrameWidth];
    for (const Tap& t : rowTaps_[i]) {
      const double* in = &raw[std::size_t(t.index) * kFrameWidth];
      for (int x = 0; x < kFrameWidth; ++x) out[x] += t.weight * in[x];
    }
  }
  corrected.assign(kFrameSize, 0.0);
  for (int y = 0; y < kFrameHeight; ++y) {
    const double* in = &rows[std::size_t(y) * kFrameWidth];
    for (int m = 0; m < kFrameWidth; ++m) {
      const std::size_t p = std::size_t(y) * kFrameWidth + m;
      const Tap* taps = &columnTaps_[p * 2];
      corrected[p] = mask_[p] * (taps[0].weight * in[taps[0].index] + taps[1].weight * in[taps[1].index]);
    }
  }
}

void FrameSynthesizer::adjoint(const std::vector<double>& corrected, std::vector<double>& raw) const {
  std::vector<double> rows(kFrameSize, 0.0);
  for (int y = 0; y < kFrameHeight; ++y) {
    double* out = &rows[std::size_t(y) * kFrameWidth];
    for (int m = 0; m < kFrameWidth; ++m) {
      const std::size_t p = std::size_t(y) * kFrameWidth + m;
      const double v = mask_[p] * corrected[p];
      const Tap* taps = &columnTaps_[p * 2];
      out[taps[0].index] += taps[0].weight * v;
      out[taps[1].index] += taps[1].weight * v;
    }
  }
  raw.assign(kFrameSize, 0.0);
  for (int i = 0; i < kFrameHeight; ++i) {
    const double* in = &rows[std::size_t(i) * kFrameWidth];
    for (const Tap& t : rowTaps_[i]) {
      double* out = &raw[std::size_t(t.index) * kFrameWidth];
      for (int x = 0; x < kFrameWidth; ++x) out[x] += t.weight * in[x];
    }
  }
}

void FrameSynthesizer::residualGradient(const std::vector<double>& target, const std::vector<double>& raw,
                                        std::vector<double>& gradient) const {
  std::vector<double> residual;
  forward(raw, residual);
  for (std::size_t p = 0; p < residual.size(); ++p) residual[p] = mask_[p] * (target[p] - residual[p]);
  adjoint(residual, gradient);
}

void FrameSynthesizer::solve(const std::vector<double>& target, const std::vector<double>& free,
                             std::vector<double>& raw) const {
  std::vector<double> residual(kFrameSize), q, s, direction;
  forward(raw, q);
  for (std::size_t p = 0; p < residual.size(); ++p) residual[p] = mask_[p] * (target[p] - q[p]);
  adjoint(residual, s);
  for (std::size_t p = 0; p < s.size(); ++p) s[p] *= free[p];
  direction = s;
  double gamma = dot(s, s);
  for (int k = 0; k < kIterations && gamma > 1e-9; ++k) {
    forward(direction, q);
    const double qq = dot(q, q);
    if (qq <= 0) break;
    const double alpha = gamma / qq;
    for (std::size_t p = 0; p < raw.size(); ++p) raw[p] += alpha * direction[p];
    for (std::size_t p = 0; p < residual.size(); ++p) residual[p] -= alpha * q[p];
    adjoint(residual, s);
    for (std::size_t p = 0; p < s.size(); ++p) s[p] *= free[p];
    const double next = dot(s, s);
    const double beta = next / gamma;
    gamma = next;
    for (std::size_t p = 0; p < direction.size(); ++p) direction[p] = s[p] + beta * direction[p];
  }
}

std::vector<std::uint8_t> FrameSynthesizer::rawFrame(const GreyImage& image) const {
  // Target: the image placed where the correction cuts the whole image out.
  std::vector<double> target(kFrameSize, 0.0);
  double mean = 0;
  for (int y = 0; y < kImageSize; ++y) {
    for (int x = 0; x < kImageSize; ++x) {
      const double v = image.at(x, y);
      target[std::size_t(y) * kFrameWidth + kWholeLeft + x] = v + (flat(image, x, y) ? 0.0 : kTruncationLoss);
      mean += v;
    }
  }
  mean /= kImageSize * kImageSize;

  // Start: each raw pixel the weighted mean of the target pixels it feeds.
  std::vector<double> raw, weight;
  adjoint(target, raw);
  adjoint(mask_, weight);
  for (std::size_t p = 0; p < raw.size(); ++p) raw[p] = weight[p] > 1e-6 ? raw[p] / weight[p] : mean;

  // Conjugate gradients on the normal equations (CGLS), over the raw pixels that
  // are free. Sharp edges ask for values beyond 0..255; such pixels are pinned to
  // the bound and the others solved again around them.
  std::vector<double> free(kFrameSize, 1.0), gradient;
  for (int round = 0; round < kRounds; ++round) {
    solve(target, free, raw);
    bool changed = false;
    for (std::size_t p = 0; p < raw.size(); ++p) {
      if (free[p] != 0 && (raw[p] < 0 || raw[p] > 255)) {
        raw[p] = std::clamp(raw[p], 0.0, 255.0);
        free[p] = 0;
        changed = true;
      }
    }
    // A pinned pixel whose descent direction points back inside is freed again.
    residualGradient(target, raw, gradient);
    for (std::size_t p = 0; p < raw.size(); ++p) {
      if (free[p] == 0 && ((raw[p] <= 0 && gradient[p] > 0) || (raw[p] >= 255 && gradient[p] < 0))) {
        free[p] = 1;
        changed = true;
      }
    }
    if (!changed) break;
  }

  std::vector<std::uint8_t> frame(kFrameSize);
  for (std::size_t p = 0; p < frame.size(); ++p)
    frame[p] = static_cast<std::uint8_t>(std::clamp(std::lround(raw[p]), 0L, 255L));
  return frame;
}

}  // namespace ridgeport::sim
