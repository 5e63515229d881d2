#include "extract/Segmentation.h"

#include "extract/BlockGrid.h"
#include "extract/Geometry.h"

namespace ridgecore {
namespace {
constexpr uint8_t kBackgroundClass = 253;
constexpr uint8_t kRimClass = 254;
constexpr int kLargestArea = 2500;
}  // namespace

void segmentFingerArea(uint8_t* directions, const uint8_t* periods, uint8_t* classes, uint8_t* mask) {
  uint8_t foreground[kGridBlocks];
  for (int b = 0; b < kGridBlocks; ++b) {
    classes[b] = periods[b] < 26 ? static_cast<uint8_t>(10 * periods[b]) : 255;
    const int i = b / kGridSide, j = b % kGridSide;
    const bool outerRing = i == 0 || j == 0 || i == kGridSide - 1 || j == kGridSide - 1;
    foreground[b] = classes[b] >= 30 && !outerRing ? 1 : 0;
  }
  blockgrid::erode(foreground);
  blockgrid::dilate(foreground);
  int area = blockgrid::keepLargestRegion(foreground);
  blockgrid::fillHoles(foreground);
  while (area > kLargestArea) {
    blockgrid::erode(foreground);
    area += (-10 * area - 36000) / 100;
  }

  uint8_t inner[kGridBlocks];
  for (int b = 0; b < kGridBlocks; ++b) {
    if (!foreground[b]) classes[b] = kBackgroundClass;
    inner[b] = foreground[b];
  }
  blockgrid::erode(inner);
  for (int b = 0; b < kGridBlocks; ++b) {
    if (foreground[b] && !inner[b]) classes[b] = kRimClass;
  }

  for (int b = 0; b < kGridBlocks; ++b) {
    if (classes[b] == kRimClass) {
      directions[b] = static_cast<uint8_t>(directions[b] + kRimFlag);
      classes[b] = 128;
    } else if (classes[b] == kBackgroundClass) {
      directions[b] = kNoDirection;
      classes[b] = 0;
    } else if (classes[b] == 0) {
      classes[b] = 1;
    }
    if (classes[b] == 0 || classes[b] == 128) mask[b] = classes[b];
  }
}

}  // namespace ridgecore
