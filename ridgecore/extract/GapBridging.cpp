#include "extract/GapBridging.h"

#include <cmath>
#include <vector>

#include "extract/Allocation.h"

namespace ridgecore {
namespace {

constexpr uint8_t kProcessed = 1;
constexpr uint8_t kSharp = 2;
constexpr uint8_t kGrown = 3;
constexpr int kMinimumContour = 40;
constexpr int kTipReach = 20;
constexpr int kGrowthCapacity = 16384;

struct Tip {
  int pixel;
  double dirCol, dirRow;    // unit vector
  int runStart, runLength;  // into the run pixel pool
};

class TipFinder {
 public:
  TipFinder(uint8_t* binary, ContourTracer& tracer, PixelFlood& flood)
      : binary_(binary), tracer_(tracer), flood_(flood), sharp_(allocateArray<uint8_t>(ContourTracer::kCapacity)) {}

  void scanRegions() {
    for (int p = nextRidge(binary_, 0); p < kImagePixels; p = nextRidge(binary_, p + 1)) {
      flood_.fill(
          p, true, [this](int n) { return binary_[n] == kRidge; }, [this](int n) { binary_[n] = kProcessed; });
      tracer_.trace(p, [this](int n) { return binary_[n] == kProcessed || binary_[n] == kSharp; });
      tracer_.findSharpPoints(sharp_.get());
      const int n = tracer_.size();
      for (int i = 0; i < n; ++i) {
        if (sharp_[i]) binary_[tracer_.points()[i]] = kSharp;
      }
      if (n >= kMinimumContour) collectTips(n);
    }
  }

  std::vector<Tip> tips;
  std::vector<int> runPixels;

 private:
  void collectTips(int n) {
    int firstSmooth = -1;
    for (int i = 0; i < n && firstSmooth < 0; ++i) {
      if (!sharp_[i]) firstSmooth = i;
    }
    if (firstSmooth < 0) {
      addRun(0, n);
      return;
    }
    int runStart = -1;
    for (int step = 1; step <= n; ++step) {
      const int i = firstSmooth + step;
      const bool sharp = sharp_[i % n] != 0;
      if (sharp && runStart < 0) runStart = i;
      if (!sharp && runStart >= 0) {
        addRun(runStart, i - runStart);
        runStart = -1;
      }
    }
  }

  void addRun(int start, int length) {
    const int t = start + (length - 1) / 2;
    if (!tracer_.isAcute(t, kTipReach)) return;
    const int tip = tracer_.point(t), before = tracer_.point(t - kTipReach), after = tracer_.point(t + kTipReach);
    const double midRow = (before / kImageSide + after / kImageSide) / 2.0;
    const double midCol = (before % kImageSide + after % kImageSide) / 2.0;
    const double dr = tip / kImageSide - midRow, dc = tip % kImageSide - midCol;
    const double length2 = std::sqrt(dr * dr + dc * dc);
    Tip record{tip, dc / length2, dr / length2, static_cast<int>(runPixels.size()), length};
    for (int i = 0; i < length; ++i) runPixels.push_back(tracer_.point(start + i));
    tips.push_back(record);
  }

  uint8_t* binary_;
  ContourTracer& tracer_;
  PixelFlood& flood_;
  std::unique_ptr<uint8_t[]> sharp_;
};

// Grows the cone in front of a tip; returns the number of grown pixels and
// whether the growth met a pixel marked sharp.
int growFromTip(uint8_t* binary, const Tip& tip, int* grown, bool& touched) {
  const int tipRow = tip.pixel / kImageSide, tipCol = tip.pixel % kImageSide;
  const double qRow = tipRow - 3.0 * tip.dirRow, qCol = tipCol - 3.0 * tip.dirCol;
  auto inCone = [&](int row, int col) {
    const double vr = row - qRow, vc = col - qCol;
    const double distance = std::sqrt(vr * vr + vc * vc);
    const double offLine = std::abs(vc * tip.dirRow - vr * tip.dirCol);
    return distance >= 3.0 && distance <= 6.0 && offLine < distance / 3.0;
  };
  touched = false;
  int count = 0;
  // Breadth first: the tip, then the grown pixels in the order they were grown.
  for (int next = -1; next < count; ++next) {
    const int p = next < 0 ? tip.pixel : grown[next];
    const int r = p / kImageSide, c = p % kImageSide;
    for (int dr = -1; dr <= 1; ++dr) {
      for (int dc = -1; dc <= 1; ++dc) {
        const int nr = r + dr, nc = c + dc;
        if ((dr == 0 && dc == 0) || nr < 0 || nc < 0 || nr >= kImageSide || nc >= kImageSide) continue;
        const int n = nr * kImageSide + nc;
        if (binary[n] == kSharp && next >= 0) touched = true;
        if (binary[n] != kBackground || count == kGrowthCapacity || !inCone(nr, nc)) continue;
        binary[n] = kGrown;
        grown[count++] = n;
      }
    }
  }
  return count;
}

}  // namespace

void bridgeGaps(uint8_t* binary, const uint8_t* directions, ContourTracer& tracer, PixelFlood& flood) {
  TipFinder finder(binary, tracer, flood);
  finder.scanRegions();

  auto grown = allocateArray<int>(kGrowthCapacity);
  for (const Tip& tip : finder.tips) {
    if (!isInteriorBlock(directions[blockOfPixel(tip.pixel)])) continue;
    const int* run = finder.runPixels.data() + tip.runStart;
    for (int i = 0; i < tip.runLength; ++i) {
      if (binary[run[i]] == kSharp) binary[run[i]] = kProcessed;
    }
    bool touched;
    const int count = growFromTip(binary, tip, grown.get(), touched);
    for (int i = 0; i < count; ++i) binary[grown[i]] = touched ? kProcessed : kBackground;
    for (int i = 0; i < tip.runLength; ++i) binary[run[i]] = kSharp;
  }

  for (int p = 0; p < kImagePixels; ++p) binary[p] = binary[p] == kBackground ? kBackground : kRidge;
}

}  // namespace ridgecore
