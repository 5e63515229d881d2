#pragma once

#include <cstdint>

namespace ridgecore {

// Skeleton markers written by detection and suppression.
inline constexpr uint8_t kEnding = 100;
inline constexpr uint8_t kBifurcation = 200;
inline constexpr uint8_t kRejectedEnding = 99;
inline constexpr uint8_t kRejectedBifurcation = 199;

// Crossing number over the skeleton pixels of foreground blocks 1..58:
// endings become 100, bifurcations 200.
void detectMinutiae(uint8_t* skeleton, const uint8_t* mask);

// Rejects minutiae that have another one in their 12 x 12 window (an ending
// also rejects nearby bifurcations) or whose block touches the background.
void suppressMinutiae(uint8_t* skeleton, const uint8_t* mask);

}  // namespace ridgecore
