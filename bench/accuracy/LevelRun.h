#pragma once

#include <map>
#include <string>
#include <vector>

#include "bench/accuracy/FingerprintSets.h"
#include "bench/accuracy/MatcherFamily.h"
#include "bench/accuracy/PreparedSet.h"

// What the security level of templates does on the real sets: for each
// level, the genuine rate and rank-1 identification with templates of that
// level, and every comparison of two different fingers with the stored side a
// template of that level.
namespace accuracy {

// The sets of one polarity (all of them: impostors are also counted across sets).
struct PolaritySets {
  Polarity polarity;
  std::vector<FingerprintSet> sets;
};

struct LevelRow {
  std::string set;
  Polarity polarity;
  Rate genuine;  // every pair of impressions of a finger (earlier one the template): matched
  Rate rank1;    // probes (impressions 4 on) identified among the set's templates, all set to the level
};

struct LevelFigures {
  int level = 0;
  int pairsToMatch = 0;
  std::vector<LevelRow> rows;  // by polarity, then set
  Rate impostors;              // every impression against every impression of every other finger: accepted
};

// How often each paired count came out, over the genuine and the impostor
// comparisons of every set and polarity (records that extracted only).
struct PairCounts {
  std::map<int, int> genuine;
  std::map<int, int> impostor;
  int largestImpostor = -1;
  std::string largestImpostorPair;  // which comparison reached it
};

struct LevelReport {
  std::vector<LevelFigures> levels;
  PairCounts counts;
};

// Measures `family` at each of `levels`; `note` hears the failures (genuine
// pairs and probes missed, impostors accepted) of every level.
LevelReport measureLevels(MatcherFamily& family, const std::vector<PolaritySets>& data, const std::vector<int>& levels,
                          const Note& note);

}  // namespace accuracy
