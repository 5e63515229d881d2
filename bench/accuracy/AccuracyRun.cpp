#include "bench/accuracy/AccuracyRun.h"

#include <algorithm>
#include <optional>

namespace accuracy {
namespace {

constexpr int kEnrolled = 3;  // impressions 1..3 make the template, the rest are probes

using Records = std::vector<std::optional<Bytes>>;

class Protocol {
 public:
  Protocol(MatcherFamily& family, const FingerprintSet& set, std::vector<std::string>* failures)
      : family_(family), set_(set), failures_(failures) {}

  AccuracyFigures run() {
    extractAll();
    genuinePairs();
    impostorPairs();
    secondImpressions();
    enrollAndIdentify();
    return figures_;
  }

 private:
  void note(const std::string& line) {
    if (failures_) failures_->push_back(set_.name + " " + family_.name() + ": " + line);
  }
  std::string image(size_t f, size_t i) const { return set_.fingers[f].impressionNames[i]; }

  void extractAll() {
    for (size_t f = 0; f < set_.fingers.size(); ++f) {
      Records& r = records_.emplace_back();
      for (size_t i = 0; i < set_.fingers[f].impressions.size(); ++i) {
        r.push_back(family_.extract(set_.fingers[f].impressions[i]));
        figures_.extracted.add(r.back().has_value());
        if (!r.back()) note("not extracted: " + image(f, i));
      }
    }
  }

  // A pair whose record is missing counts as a comparison that did not match.
  bool compare(size_t storedFinger, size_t stored, size_t freshFinger, size_t fresh) {
    const std::optional<Bytes>& a = records_[storedFinger][stored];
    const std::optional<Bytes>& b = records_[freshFinger][fresh];
    return a && b && family_.compare1to1(*a, *b);
  }

  void genuinePairs() {
    for (size_t f = 0; f < records_.size(); ++f) {
      for (size_t i = 0; i < records_[f].size(); ++i) {
        for (size_t j = i + 1; j < records_[f].size(); ++j) {
          const bool hit = compare(f, i, f, j);
          figures_.genuine.add(hit);
          if (!hit)
            note("genuine pair not matched: " + image(f, i) + " " + image(f, j) + " (" + lastComparison(f, i, f, j) +
                 ")");
        }
      }
    }
  }

  void impostorPairs() {
    for (size_t a = 0; a < records_.size(); ++a) {
      for (size_t b = 0; b < records_.size(); ++b) {
        if (a == b || records_[a].empty() || records_[b].empty()) continue;
        const bool hit = compare(a, 0, b, 0);
        figures_.impostor.add(hit);
        if (hit)
          note("impostor pair matched: " + image(a, 0) + " " + image(b, 0) + " (" + family_.lastComparison() + ")");
      }
    }
  }

  std::string lastComparison(size_t fa, size_t a, size_t fb, size_t b) const {
    if (!records_[fa][a] || !records_[fb][b]) return "a record is missing";
    return family_.lastComparison();
  }

  bool enrolls(const Image& first, const Image& second, std::string& code) {
    Bytes templ;
    const int refusal = family_.enroll({&first, &second}, templ);
    code = std::to_string(refusal);
    return refusal == 0;
  }

  // Every impression of a finger after every other into a template holding
  // one; and every finger's first impression after every other finger's.
  void secondImpressions() {
    std::string code;
    for (size_t f = 0; f < set_.fingers.size(); ++f) {
      const Finger& finger = set_.fingers[f];
      for (size_t i = 0; i < finger.impressions.size(); ++i) {
        for (size_t j = 0; j < finger.impressions.size(); ++j) {
          if (i == j) continue;
          const bool accepted = enrolls(finger.impressions[i], finger.impressions[j], code);
          figures_.second.add(accepted);
          if (!accepted)
            note("second impression refused: " + image(f, j) + " after " + image(f, i) + " (" + code + ")");
        }
      }
      for (size_t g = 0; g < set_.fingers.size(); ++g) {
        if (g == f || finger.impressions.empty() || set_.fingers[g].impressions.empty()) continue;
        const bool accepted = enrolls(finger.impressions[0], set_.fingers[g].impressions[0], code);
        figures_.foreign.add(accepted);
        if (accepted) note("another finger accepted: " + image(g, 0) + " after " + image(f, 0));
      }
    }
  }

  // The first order of the three impressions that the enrollment rule accepts.
  std::optional<Bytes> enroll(size_t f) {
    const Finger& finger = set_.fingers[f];
    int order[kEnrolled] = {0, 1, 2};
    std::string refusals;
    do {
      Bytes templ;
      const int refusal = family_.enroll(
          {&finger.impressions[order[0]], &finger.impressions[order[1]], &finger.impressions[order[2]]}, templ);
      if (refusal == 0) return templ;
      refusals += ' ';
      for (int k : order) refusals += char('1' + k);
      refusals += ':';
      refusals += std::to_string(refusal);
    } while (std::next_permutation(order, order + kEnrolled));
    note("finger not enrolled: " + finger.name + " (order:code" + refusals + ")");
    return std::nullopt;
  }

  void enrollAndIdentify() {
    std::vector<Bytes> templates;
    std::vector<size_t> owner;
    for (size_t f = 0; f < set_.fingers.size(); ++f) {
      if (set_.fingers[f].impressions.size() < kEnrolled) continue;
      std::optional<Bytes> templ = enroll(f);
      figures_.enroll.add(templ.has_value());
      // A finger the rule refused is still searched for, with its three records as they are.
      if (!templ) templ = family_.assembleTemplate({&records_[f][0], &records_[f][1], &records_[f][2]});
      templates.push_back(std::move(*templ));
      owner.push_back(f);
    }
    for (size_t t = 0; t < owner.size(); ++t) {
      const Finger& finger = set_.fingers[owner[t]];
      for (size_t i = kEnrolled; i < finger.impressions.size(); ++i) {
        const int found = family_.search1toN(finger.impressions[i], templates);
        figures_.rank1.add(found == int(t));
        if (found != int(t)) {
          note("probe not identified: " + finger.impressionNames[i] +
               (found < 0 ? std::string(" (no template)")
                          : " (taken for " + set_.fingers[owner[size_t(found)]].name + ")"));
        }
      }
    }
  }

  MatcherFamily& family_;
  const FingerprintSet& set_;
  std::vector<std::string>* failures_;
  std::vector<Records> records_;
  AccuracyFigures figures_;
};

}  // namespace

AccuracyFigures measureAccuracy(MatcherFamily& family, const FingerprintSet& set, std::vector<std::string>* failures) {
  return Protocol(family, set, failures).run();
}

}  // namespace accuracy
