#pragma once

#include <cstdint>

namespace ridgecore {

// Stage 5: outlier periods replaced by their neighbours' mean, gaps filled
// from the neighbours, then five smoothing passes; blocks without a
// direction get period 0.
void regularisePeriods(const uint8_t* directions, uint8_t* periods);

}  // namespace ridgecore
