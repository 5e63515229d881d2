#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench/accuracy/FingerprintSets.h"
#include "bench/accuracy/MatcherFamily.h"

// One set as a family sees it: the record of every impression, and a template
// of every finger from its first three impressions.
namespace accuracy {

struct Rate {
  int hits = 0;
  int trials = 0;
  double value() const { return trials ? double(hits) / trials : 0.0; }
  void add(bool hit) {
    ++trials;
    hits += hit;
  }
};

inline constexpr int kEnrolledImpressions = 3;  // impressions 1..3 make the template, the rest are probes

using Records = std::vector<std::optional<Bytes>>;  // one finger's, by impression; nothing where it did not extract
using Note = std::function<void(const std::string& line)>;

struct PreparedSet {
  const FingerprintSet* set = nullptr;
  std::vector<Records> records;  // by finger
  Rate extracted;                // images the family took
  // A template of every finger with at least three impressions: the first
  // order of impressions 1..3 that the enrollment rule accepts, or, for a
  // finger the rule refuses in every order, its three records put into the
  // slots as they are (so that a search measures the search, not the rule).
  std::vector<Bytes> templates;
  std::vector<size_t> owners;  // the finger of each template
  Rate enroll;                 // fingers whose template the rule accepted

  std::string image(size_t finger, size_t impression) const { return set->fingers[finger].impressionNames[impression]; }
};

// Extracts every impression; `note` hears every image not extracted.
PreparedSet extractSet(MatcherFamily& family, const FingerprintSet& set, const Note& note);

// Enrolls every finger of an extracted set; `note` hears every finger not
// enrolled. (The fast rule may read the translation of the comparison made
// before it, so where this runs in a protocol can matter.)
void enrollSet(MatcherFamily& family, PreparedSet& prepared, const Note& note);

// The probes of each template (impressions 4 on) searched among all the set's
// templates: identified as their own finger. `note` hears every probe that
// was not.
Rate identify(MatcherFamily& family, const PreparedSet& prepared, const Note& note);

}  // namespace accuracy
