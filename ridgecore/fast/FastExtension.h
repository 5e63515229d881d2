#pragma once

#include <cstdint>

#include "fast/FastPairChecks.h"
#include "ridgecore.h"

namespace ridgecore {

// The minutiae that the sweep left unpaired, each described by where the
// paired minutiae of its own side (the anchors) lie around it, and compared
// side against side as the sweep compares neighbourhoods. Returns how many
// of b's unpaired minutiae found a partner (a's are not used up, so one of
// them may serve several of b's).
int ExtendFastPairs(const tagFASTFDATA& a, const tagFASTFDATA& b, const FastPair* pairs, int count, uint64_t pairedA,
                    uint64_t pairedB);

}  // namespace ridgecore
