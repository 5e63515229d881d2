#pragma once

#include <cstdint>

namespace ridgecore {

inline constexpr int kMaxPairs = 50;

// A scanned minutia and the searched minutia it found.
struct MinutiaPair {
  uint8_t scanned;
  uint8_t searched;
  int neighbours;  // n of the local match
  float cost;      // local cost
};

}  // namespace ridgecore
