#pragma once

#include "ridgecore.h"

// A template's security level (byte 2, VD_SECURITYMIN..VD_SECURITYMAX)
// decides how many paired minutiae a comparison with it needs. Level 5, which
// every completed template gets, is the library's match rule: more than 11
// pairs, in both families. Levels 4 to 1 ask for fewer pairs, down to bounds
// measured on the real sample sets (docs/accuracy.md): level 1 is the loosest
// bound that no comparison of two different fingers reached, and the program
// enrolls at the lowest level that keeps 3 pairs of margin above the most any
// of them reached.
namespace ridgecore {

// Pairs a comparison needs at each level; index 0 is unused.
inline constexpr int kClassicLevelPairs[VD_SECURITYMAX + 1] = {0, 7, 8, 9, 10, 12};
inline constexpr int kFastLevelPairs[VD_SECURITYMAX + 1] = {0, 7, 8, 9, 10, 12};

// The level a template's byte stands for. A byte outside 1..5 (a template
// built by hand, or damaged) counts as the strictest level, so that it can
// only make a template harder to match, never easier.
constexpr int EffectiveSecurityLevel(int levelByte) {
  return levelByte >= VD_SECURITYMIN && levelByte <= VD_SECURITYMAX ? levelByte : VD_SECURITYMAX;
}

// What a classic comparison's paired count (MatchFeatureSets) must reach to
// match a template whose byte 2 holds levelByte.
constexpr int ClassicPairsToMatch(int levelByte) { return kClassicLevelPairs[EffectiveSecurityLevel(levelByte)]; }

// The same for the fast paired count (FastMatch).
constexpr int FastPairsToMatch(int levelByte) { return kFastLevelPairs[EffectiveSecurityLevel(levelByte)]; }

}  // namespace ridgecore
