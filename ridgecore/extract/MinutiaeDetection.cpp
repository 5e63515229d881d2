#include "extract/MinutiaeDetection.h"

#include <algorithm>

#include "extract/Geometry.h"

namespace ridgecore {
namespace {

constexpr uint8_t kExamined = 1;
// Circular order: up, up-right, right, down-right, down, down-left, left, up-left.
constexpr int kCircle[8] = {-kImageSide, -kImageSide + 1, 1,  kImageSide + 1,
                            kImageSide,  kImageSide - 1,  -1, -kImageSide - 1};

// Visits the pixels of the foreground blocks of rows and columns 1..58,
// block by block, pixels row by row inside a block.
template <typename Visit>
void forEachForegroundPixel(const uint8_t* mask, Visit visit) {
  for (int i = 1; i <= kGridSide - 2; ++i) {
    for (int j = 1; j <= kGridSide - 2; ++j) {
      const int b = i * kGridSide + j;
      if (!mask[b]) continue;
      for (int r = kBlockSide * i; r < kBlockSide * (i + 1); ++r) {
        for (int c = kBlockSide * j; c < kBlockSide * (j + 1); ++c) visit(r, c, b);
      }
    }
  }
}

bool touchesBackground(const uint8_t* mask, int block) {
  for (int step : kBlockNeighbours) {
    if (!mask[block + step]) return true;
  }
  return false;
}

// Rewrites the markers of the 12 x 12 window (rows r-6..r+5, columns c-6..c+5)
// and tells whether it held any of them.
template <typename Rewrite>
bool rewriteWindow(uint8_t* skeleton, int r, int c, Rewrite rewrite) {
  bool any = false;
  for (int y = std::max(r - 6, 0); y <= std::min(r + 5, kImageSide - 1); ++y) {
    for (int x = std::max(c - 6, 0); x <= std::min(c + 5, kImageSide - 1); ++x) {
      if (rewrite(skeleton[y * kImageSide + x])) any = true;
    }
  }
  return any;
}

}  // namespace

void detectMinutiae(uint8_t* skeleton, const uint8_t* mask) {
  forEachForegroundPixel(mask, [&](int r, int c, int) {
    const int p = r * kImageSide + c;
    if (skeleton[p] != kRidge) return;
    int crossings = 0;
    for (int k = 0; k < 8; ++k) {
      if (skeleton[p + kCircle[k]] <= kBifurcation && skeleton[p + kCircle[(k + 1) & 7]] == kBackground) ++crossings;
    }
    if (crossings == 1) skeleton[p] = kEnding;
    if (crossings >= 3) skeleton[p] = kBifurcation;
  });
}

void suppressMinutiae(uint8_t* skeleton, const uint8_t* mask) {
  forEachForegroundPixel(mask, [&](int r, int c, int b) {
    uint8_t& value = skeleton[r * kImageSide + c];
    if (value == kEnding || value == kRejectedEnding) {
      value = kExamined;
      const bool crowded = rewriteWindow(skeleton, r, c, [](uint8_t& v) {
        if (v == kEnding || v == kRejectedEnding) {
          v = kRejectedEnding;
          return true;
        }
        if (v == kBifurcation || v == kRejectedBifurcation) {
          v = kRejectedBifurcation;
          return true;
        }
        return false;
      });
      value = crowded || touchesBackground(mask, b) ? kRejectedEnding : kEnding;
    } else if (value == kBifurcation || value == kRejectedBifurcation) {
      value = kExamined;
      const bool crowded = rewriteWindow(skeleton, r, c, [](uint8_t& v) {
        if (v == kBifurcation || v == kRejectedBifurcation) {
          v = kRejectedBifurcation;
          return true;
        }
        return false;
      });
      value = crowded || touchesBackground(mask, b) ? kRejectedBifurcation : kBifurcation;
    }
  });
}

}  // namespace ridgecore
