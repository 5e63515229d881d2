#include "bench/accuracy/PreparedSet.h"

#include <algorithm>

namespace accuracy {
namespace {

// The first order of the three impressions that the enrollment rule accepts.
std::optional<Bytes> enrollFinger(MatcherFamily& family, const Finger& finger, const Note& note) {
  int order[kEnrolledImpressions] = {0, 1, 2};
  std::string refusals;
  do {
    Bytes templ;
    const int refusal = family.enroll(
        {&finger.impressions[order[0]], &finger.impressions[order[1]], &finger.impressions[order[2]]}, templ);
    if (refusal == 0) return templ;
    refusals += ' ';
    for (int k : order) refusals += char('1' + k);
    refusals += ':';
    refusals += std::to_string(refusal);
  } while (std::next_permutation(order, order + kEnrolledImpressions));
  note("finger not enrolled: " + finger.name + " (order:code" + refusals + ")");
  return std::nullopt;
}

}  // namespace

PreparedSet extractSet(MatcherFamily& family, const FingerprintSet& set, const Note& note) {
  PreparedSet p;
  p.set = &set;
  for (size_t f = 0; f < set.fingers.size(); ++f) {
    Records& r = p.records.emplace_back();
    for (size_t i = 0; i < set.fingers[f].impressions.size(); ++i) {
      r.push_back(family.extract(set.fingers[f].impressions[i]));
      p.extracted.add(r.back().has_value());
      if (!r.back()) note("not extracted: " + p.image(f, i));
    }
  }
  return p;
}

void enrollSet(MatcherFamily& family, PreparedSet& p, const Note& note) {
  const FingerprintSet& set = *p.set;
  for (size_t f = 0; f < set.fingers.size(); ++f) {
    if (set.fingers[f].impressions.size() < kEnrolledImpressions) continue;
    std::optional<Bytes> templ = enrollFinger(family, set.fingers[f], note);
    p.enroll.add(templ.has_value());
    if (!templ) templ = family.assembleTemplate({&p.records[f][0], &p.records[f][1], &p.records[f][2]});
    p.templates.push_back(std::move(*templ));
    p.owners.push_back(f);
  }
}

Rate identify(MatcherFamily& family, const PreparedSet& prepared, const Note& note) {
  Rate rank1;
  const FingerprintSet& set = *prepared.set;
  for (size_t t = 0; t < prepared.owners.size(); ++t) {
    const Finger& finger = set.fingers[prepared.owners[t]];
    for (size_t i = kEnrolledImpressions; i < finger.impressions.size(); ++i) {
      const int found = family.search1toN(finger.impressions[i], prepared.templates);
      rank1.add(found == int(t));
      if (found != int(t)) {
        note("probe not identified: " + finger.impressionNames[i] +
             (found < 0 ? std::string(" (no template)")
                        : " (taken for " + set.fingers[prepared.owners[size_t(found)]].name + ")"));
      }
    }
  }
  return rank1;
}

}  // namespace accuracy
