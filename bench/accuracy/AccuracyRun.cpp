#include "bench/accuracy/AccuracyRun.h"

namespace accuracy {
namespace {

class Protocol {
 public:
  Protocol(MatcherFamily& family, const FingerprintSet& set, std::vector<std::string>* failures)
      : family_(family), set_(set), failures_(failures) {}

  AccuracyFigures run() {
    const Note note = [this](const std::string& line) { this->note(line); };
    prepared_ = extractSet(family_, set_, note);
    figures_.extracted = prepared_.extracted;
    genuinePairs();
    impostorPairs();
    secondImpressions();
    enrollSet(family_, prepared_, note);
    figures_.enroll = prepared_.enroll;
    figures_.rank1 = identify(family_, prepared_, note);
    return figures_;
  }

 private:
  void note(const std::string& line) {
    if (failures_) failures_->push_back(set_.name + " " + family_.name() + ": " + line);
  }
  std::string image(size_t f, size_t i) const { return prepared_.image(f, i); }
  const std::vector<Records>& records() const { return prepared_.records; }

  // A pair whose record is missing counts as a comparison that did not match.
  bool compare(size_t storedFinger, size_t stored, size_t freshFinger, size_t fresh) {
    const std::optional<Bytes>& a = records()[storedFinger][stored];
    const std::optional<Bytes>& b = records()[freshFinger][fresh];
    return a && b && family_.compare1to1(*a, *b);
  }

  void genuinePairs() {
    for (size_t f = 0; f < records().size(); ++f) {
      for (size_t i = 0; i < records()[f].size(); ++i) {
        for (size_t j = i + 1; j < records()[f].size(); ++j) {
          const bool hit = compare(f, i, f, j);
          figures_.genuine.add(hit);
          if (!hit)
            note("genuine pair not matched: " + image(f, i) + " " + image(f, j) + " (" + lastComparison(f, i, f, j) +
                 ")");
        }
      }
    }
  }

  // Every impression of a finger against every impression of every other.
  void impostorPairs() {
    for (size_t a = 0; a < records().size(); ++a) {
      for (size_t b = 0; b < records().size(); ++b) {
        if (a == b) continue;
        for (size_t i = 0; i < records()[a].size(); ++i) {
          for (size_t j = 0; j < records()[b].size(); ++j) {
            const bool hit = compare(a, i, b, j);
            figures_.impostor.add(hit);
            if (hit)
              note("impostor pair matched: " + image(a, i) + " " + image(b, j) + " (" + family_.lastComparison() + ")");
          }
        }
      }
    }
  }

  std::string lastComparison(size_t fa, size_t a, size_t fb, size_t b) const {
    if (!records()[fa][a] || !records()[fb][b]) return "a record is missing";
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

  MatcherFamily& family_;
  const FingerprintSet& set_;
  std::vector<std::string>* failures_;
  PreparedSet prepared_;
  AccuracyFigures figures_;
};

}  // namespace

AccuracyFigures measureAccuracy(MatcherFamily& family, const FingerprintSet& set, std::vector<std::string>* failures) {
  return Protocol(family, set, failures).run();
}

}  // namespace accuracy
