#include "extract/RecordWriting.h"

#include <cmath>
#include <cstdlib>

#include "extract/Geometry.h"
#include "extract/MinutiaeDetection.h"
#include "extract/RidgeTracing.h"

namespace ridgecore {
namespace {

constexpr uint8_t kFirstBranch = 114, kSecondBranch = 113, kThirdBranch = 112, kEndingTrace = 115;

int cityBlock(const TraceEnd& a, const TraceEnd& b) { return std::abs(a.row - b.row) + std::abs(a.col - b.col); }

// The mean of the two branches that lie closest together.
TraceEnd bifurcationVector(const TraceEnd& p1, const TraceEnd& p2, const TraceEnd& p3) {
  const int d12 = cityBlock(p1, p2), d23 = cityBlock(p2, p3), d31 = cityBlock(p3, p1);
  const TraceEnd* a = &p1;
  const TraceEnd* b = &p2;
  if (d23 < d12 && d23 <= d31) {
    a = &p2;
    b = &p3;
  } else if (d31 < d12 && d31 < d23) {
    a = &p3;
    b = &p1;
  }
  return {(a->row + b->row) / 2, (a->col + b->col) / 2};
}

class RecordWriter {
 public:
  RecordWriter(uint8_t* skeleton, const uint8_t* mask, tagFDATA& record)
      : skeleton_(skeleton), mask_(mask), record_(record) {}

  // Returns false once the record is full.
  template <typename Visit>
  bool forEachPixel(Visit visit) {
    for (int i = 3; i <= kGridSide - 4; ++i) {
      for (int j = 3; j <= kGridSide - 4; ++j) {
        if (!mask_[i * kGridSide + j]) continue;
        for (int r = kBlockSide * i; r < kBlockSide * (i + 1); ++r) {
          for (int c = kBlockSide * j; c < kBlockSide * (j + 1); ++c) {
            if (!visit(r, c)) return false;
          }
        }
      }
    }
    return true;
  }

  bool add(int r, int c, const TraceEnd& v, int type) {
    tagFMINUTIA& m = record_.minutiae[record_.count];
    m.x = static_cast<uint8_t>(c / 2);
    m.y = static_cast<uint8_t>(r / 2);
    m.typeDir = static_cast<uint8_t>(directionOfVector(v.row, v.col) * 2 + type);
    return ++record_.count < RIDGECORE_MAX_MINUTIAE;
  }

  void write() {
    record_.count = 0;
    const bool room = forEachPixel([&](int r, int c) {
      const int p = r * kImageSide + c;
      if (skeleton_[p] != kBifurcation) return true;
      const TraceEnd p1 = traceRidge(skeleton_, p, kFirstBranch);
      const TraceEnd p2 = traceRidge(skeleton_, p, kSecondBranch);
      const TraceEnd p3 = traceRidge(skeleton_, p, kThirdBranch);
      skeleton_[p] = kBifurcation;
      return add(r, c, bifurcationVector(p1, p2, p3), 1);
    });
    if (!room) return;
    forEachPixel([&](int r, int c) {
      const int p = r * kImageSide + c;
      if (skeleton_[p] != kEnding) return true;
      const TraceEnd end = traceRidge(skeleton_, p, kEndingTrace, kBifurcation);
      skeleton_[p] = kEnding;
      return add(r, c, end, 0);
    });
  }

 private:
  uint8_t* skeleton_;
  const uint8_t* mask_;
  tagFDATA& record_;
};

}  // namespace

int directionOfVector(int row, int col) {
  double angle = std::atan2(static_cast<double>(row), static_cast<double>(col));
  if (angle < 0) angle += 6.2831853;
  return static_cast<int>(std::floor(angle * 128 * 0.15915494327375637));
}

void writeMinutiae(uint8_t* skeleton, const uint8_t* mask, tagFDATA& record) {
  RecordWriter(skeleton, mask, record).write();
}

}  // namespace ridgecore
