#pragma once

#include <string>
#include <vector>

#include "bench/accuracy/FingerprintSets.h"
#include "bench/accuracy/MatcherFamily.h"
#include "bench/accuracy/PreparedSet.h"

// The protocol over one set for one family: genuine and impostor rates of the
// 1:1 comparison, the enrollment rate and the rank-1 identification rate.
namespace accuracy {

struct AccuracyFigures {
  Rate extracted;  // images the family took
  Rate genuine;    // every pair of impressions of a finger: matched
  Rate impostor;   // every pair of impressions of two fingers, both orders: matched
  Rate enroll;     // fingers whose first three impressions enroll in some order
  Rate second;     // the enrollment rule on a second impression of the same finger: accepted
  Rate foreign;    // the rule on another finger's first impression as the second: accepted
  Rate rank1;      // probes (impressions 4 on) identified as their own finger
};

// Runs the protocol; with `failures`, every genuine pair that fails, impostor
// pair that matches, finger that does not enroll and probe that is not
// identified is described there, one line each.
AccuracyFigures measureAccuracy(MatcherFamily& family, const FingerprintSet& set,
                                std::vector<std::string>* failures = nullptr);

}  // namespace accuracy
