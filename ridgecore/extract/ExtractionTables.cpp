#include "extract/ExtractionTables.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace ridgecore {
namespace {

constexpr double kPi = std::numbers::pi;

void buildSignature(ExtractionTables& t) {
  for (int d = 0; d < 64; ++d) {
    const double theta = d * kPi / 64;
    const double s = std::sin(theta), c = std::cos(theta);
    for (int n = 0; n < ExtractionTables::kSamples; ++n) {
      const int k = n - 16;
      for (int i = 0; i < ExtractionTables::kAlong; ++i) {
        const int l = i - 7;
        const int row = static_cast<int>(l * s + k * c);
        const int col = static_cast<int>(l * c - k * s);
        t.signature[d][n][i] = row * kImageSide + col;
      }
    }
  }
}

void buildFilter(ExtractionTables& t) {
  for (int p = 0; p < ExtractionTables::kPeriods; ++p) {
    const int period = 7 + p;
    int sum = 0, tap = 0;
    for (int j = -8; j <= 8; ++j) {
      for (int k = -5; k <= 5; ++k, ++tap) {
        const double w = 1024.0 * std::cos(2.0 * kPi * j / period) *
                         std::exp(-((j * j) / (4.0 * 4.0) + (k * k) / (4.0 * 4.0)) / 2.0);
        t.filterWeight[p][tap] = static_cast<int>(w);
        sum += t.filterWeight[p][tap];
      }
    }
    t.filterSum[p] = sum;
  }
  for (int d = 0; d < 64; ++d) {
    const double theta = d * kPi / 64;
    const double s = std::sin(theta), c = std::cos(theta);
    int tap = 0;
    for (int j = -8; j <= 8; ++j) {
      for (int k = -5; k <= 5; ++k, ++tap) {
        const int row = static_cast<int>(k * s + j * c);
        const int col = static_cast<int>(k * c - j * s);
        t.filterOffset[d][tap] = row * kImageSide + col;
      }
    }
  }
}

// Floor division for a positive divisor.
int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The kernels with their weight sum taken out, tap by tap, so that the
// weights stay integers and add up to exactly 0; and each one's response to
// a cosine of amplitude 1 across the ridges at its own period.
void buildZeroMeanFilter(const ExtractionTables& t, int (&weights)[ExtractionTables::kPeriods][ExtractionTables::kTaps],
                         int (&gain)[ExtractionTables::kPeriods]) {
  constexpr int n = ExtractionTables::kTaps;
  for (int p = 0; p < ExtractionTables::kPeriods; ++p) {
    const int sum = t.filterSum[p];
    double response = 0;
    for (int tap = 0; tap < n; ++tap) {
      weights[p][tap] = t.filterWeight[p][tap] - (floorDiv(sum * (tap + 1), n) - floorDiv(sum * tap, n));
      const int j = tap / 11 - 8;
      response += weights[p][tap] * std::cos(2.0 * kPi * j / (7 + p));
    }
    gain[p] = static_cast<int>(std::lround(response));
  }
}

int32_t weightPair(int low, int high) {
  const auto lo = static_cast<uint16_t>(static_cast<int16_t>(low));
  const auto hi = static_cast<uint16_t>(static_cast<int16_t>(high));
  return static_cast<int32_t>(static_cast<uint32_t>(hi) << 16 | lo);
}

// Taps of one direction that land on the same pixel share one offset with
// the sum of their weights: the same integer sum with fewer products.
void mergeFilterTaps(ExtractionTables& t) {
  constexpr int kReach = 9, kSpan = 2 * kReach + 1;  // no tap lies farther than 9 rows or columns away
  int zeroMean[ExtractionTables::kPeriods][ExtractionTables::kTaps];
  buildZeroMeanFilter(t, zeroMean, t.tunedGain);
  for (int d = 0; d < 64; ++d) {
    int slotOf[kSpan * kSpan];
    for (int& s : slotOf) s = -1;
    int count = 0;
    int weights[ExtractionTables::kPeriods][ExtractionTables::kMergedTaps] = {};
    int zeroMeanWeights[ExtractionTables::kPeriods][ExtractionTables::kMergedTaps] = {};
    for (int tap = 0; tap < ExtractionTables::kTaps; ++tap) {
      const int offset = t.filterOffset[d][tap];
      const int row = (offset + kReach * kImageSide + kReach) / kImageSide - kReach;
      const int col = offset - row * kImageSide;
      int& slot = slotOf[(row + kReach) * kSpan + col + kReach];
      if (slot < 0) {
        slot = count;
        t.mergedOffset[d][count++] = offset;
      }
      for (int p = 0; p < ExtractionTables::kPeriods; ++p) {
        weights[p][slot] += t.filterWeight[p][tap];
        zeroMeanWeights[p][slot] += zeroMean[p][tap];
      }
    }
    if (count % 2) t.mergedOffset[d][count++] = 0;  // a zero-weight partner
    t.mergedCount[d] = count;
    for (int p = 0; p < ExtractionTables::kPeriods; ++p) {
      for (int pair = 0; pair < count / 2; ++pair) {
        t.mergedPairWeight[p][d][pair] = weightPair(weights[p][2 * pair], weights[p][2 * pair + 1]);
        t.zeroMeanPairWeight[p][d][pair] = weightPair(zeroMeanWeights[p][2 * pair], zeroMeanWeights[p][2 * pair + 1]);
      }
    }
  }
}

void buildLineTest(ExtractionTables& t) {
  for (int d = 0; d < 64; ++d) {
    const double theta = d * kPi / 64;
    const double s = std::sin(theta), c = std::cos(theta);
    for (int i = 0; i < ExtractionTables::kLineSamples; ++i) {
      const int k = i - 4;
      t.lineCentre[d][i] = static_cast<int>(std::round(k * s)) * kImageSide + static_cast<int>(std::round(k * c));
      for (int w = 3; w <= 8; ++w) {
        const int rowA = static_cast<int>(std::round(k * s + w * c));
        const int colA = static_cast<int>(std::round(k * c - w * s));
        const int rowB = static_cast<int>(std::round(k * s - w * c));
        const int colB = static_cast<int>(std::round(k * c + w * s));
        t.lineSideA[d][w - 3][i] = rowA * kImageSide + colA;
        t.lineSideB[d][w - 3][i] = rowB * kImageSide + colB;
      }
    }
  }
}

// Bresenham from the origin to the point 50 steps out along the major axis.
void buildWalkLines(ExtractionTables& t) {
  for (int n = 0; n < 128; ++n) {
    const double phi = n * kPi / 64;
    const double c = std::cos(phi), s = std::sin(phi);
    const double major = std::max(std::abs(c), std::abs(s));
    const int ex = static_cast<int>(std::round(ExtractionTables::kWalkLength * c / major));
    const int ey = static_cast<int>(std::round(ExtractionTables::kWalkLength * s / major));
    const int dx = std::abs(ex), dy = std::abs(ey);
    const int sx = ex < 0 ? -1 : 1, sy = ey < 0 ? -1 : 1;
    int x = 0, y = 0, err = dx - dy;
    for (int i = 0; i < ExtractionTables::kWalkLength; ++i) {
      const int e2 = 2 * err;
      if (e2 > -dy) {
        err -= dy;
        x += sx;
      }
      if (e2 < dx) {
        err += dx;
        y += sy;
      }
      t.walkCol[n][i] = static_cast<int8_t>(x);
      t.walkRow[n][i] = static_cast<int8_t>(y);
    }
  }
}

// The chord's direction in whole degrees, turned by 90 and quantised to 128 steps.
void buildChordNormals(ExtractionTables& t) {
  for (int dy = -ExtractionTables::kChordReach; dy <= ExtractionTables::kChordReach; ++dy) {
    for (int dx = -ExtractionTables::kChordReach; dx <= ExtractionTables::kChordReach; ++dx) {
      double degrees = std::atan2(dy, dx) * 180.0 / kPi;
      if (degrees < 0) degrees += 360.0;
      const int normal = (static_cast<int>(degrees) + 90) % 360;
      t.chordNormal[dy + ExtractionTables::kChordReach][dx + ExtractionTables::kChordReach] =
          static_cast<uint8_t>(128 * normal / 360);
    }
  }
}

}  // namespace

void ExtractionTables::build() {
  buildSignature(*this);
  buildFilter(*this);
  mergeFilterTaps(*this);
  buildLineTest(*this);
  buildWalkLines(*this);
  buildChordNormals(*this);
}

const ExtractionTables& extractionTables() {
  static ExtractionTables tables;  // too large for a stack: built in place
  static const bool built = (tables.build(), true);
  (void)built;
  return tables;
}

}  // namespace ridgecore
