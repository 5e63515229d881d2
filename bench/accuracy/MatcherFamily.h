#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "extract/ExtractFeatures.h"
#include "match/MatchOptions.h"

// One family of Ridgecore functions as the accuracy harness sees it: the
// feature record of an image, the 1:1 comparison, enrollment of three
// impressions and the 1:N search. Records and templates are the family's own
// byte layouts. Each family is one implementation, listed in
// MatcherFamily.cpp.
namespace accuracy {

using Bytes = std::vector<uint8_t>;
using Image = std::vector<uint8_t>;  // 300 x 300, in the polarity being measured

class MatcherFamily {
 public:
  virtual ~MatcherFamily() = default;

  virtual std::string name() const = 0;

  // The feature record of an image; nothing when the family refuses the image.
  virtual std::optional<Bytes> extract(const Image& image) = 0;

  // The 1:1 comparison: `stored` is the enrolled side, `fresh` the new
  // impression. True for a score of 100.
  virtual bool compare1to1(const Bytes& stored, const Bytes& fresh) = 0;

  // Enrollment: the images filled into slots 0, 1, ... in this order into a
  // zeroed template. 0 when every fill was accepted (with three, `templ` is
  // then complete), else the export's code for the first refused fill.
  virtual int enroll(const std::vector<const Image*>& impressions, Bytes& templ) = 0;

  // A completed template holding the three records as they are, without the
  // enrollment rule; a missing record leaves its slot empty.
  virtual Bytes assembleTemplate(const std::array<const std::optional<Bytes>*, 3>& records) = 0;

  // The 1:N search of a probe image: the index of the template it is
  // identified with, or -1.
  virtual int search1toN(const Image& probe, const std::vector<Bytes>& templates) = 0;

  // The paired count that a template comparison judges, `stored` being the
  // template's side: classic, the pairs the decision accepted (0 rejected, -1
  // no minutiae); fast, the fast paired count.
  virtual int pairCount(const Bytes& stored, const Bytes& fresh) = 0;

  // The pairs a comparison with a template of this security level needs.
  virtual int pairsToMatch(int level) const = 0;

  // Sets a completed template's security level through the family's export.
  virtual void setLevel(Bytes& templ, int level) = 0;

  // The 1:1 comparison of a record with a template: true for a score of 100.
  virtual bool matchesTemplate(const Bytes& templ, const Bytes& fresh) = 0;

  // A few words about the last comparison (raw count, decision), for the failure lists.
  virtual std::string lastComparison() const { return {}; }
};

// Variants of the pipeline to measure; the defaults are what the library ships.
struct FamilyOptions {
  ridgecore::ExtractionOptions extraction;
  ridgecore::MatchOptions matching;
};

std::vector<std::string> familyNames();
// The family of this name, or nullptr.
std::unique_ptr<MatcherFamily> makeFamily(const std::string& name, const FamilyOptions& options);

}  // namespace accuracy
