#pragma once

#include <cstdint>

// Pixel and block geometry shared by every extraction stage: a 300 x 300 image
// cut into 60 x 60 blocks of 5 x 5 pixels, all maps row-major.
namespace ridgecore {

inline constexpr int kImageSide = 300;
inline constexpr int kImagePixels = kImageSide * kImageSide;
inline constexpr int kBlockSide = 5;
inline constexpr int kGridSide = 60;
inline constexpr int kGridBlocks = kGridSide * kGridSide;

inline constexpr uint8_t kRidge = 0;
inline constexpr uint8_t kBackground = 255;

// DirectionField values: 0..63 interior, 64..127 rim (index d - 64), 255 none.
inline constexpr uint8_t kNoDirection = 255;
inline constexpr uint8_t kRimFlag = 64;

inline constexpr int blockOfPixel(int pixel) {
  return (pixel / kImageSide / kBlockSide) * kGridSide + (pixel % kImageSide) / kBlockSide;
}
inline constexpr bool hasDirection(uint8_t d) { return d < 128; }
inline constexpr bool isInteriorBlock(uint8_t d) { return d < 64; }
inline constexpr int directionIndex(uint8_t d) { return d & 63; }

// The eight neighbours of a block, in grid offsets.
inline constexpr int kBlockNeighbours[8] = {1, -59, -60, -61, -1, 59, 60, 61};

}  // namespace ridgecore
