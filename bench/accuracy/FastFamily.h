#pragma once

#include "api/FeatureRecordFunctions.h"
#include "bench/accuracy/MatcherFamily.h"

namespace accuracy {

// The fast family through the exports of libRidgecore.so: the record of an
// image (extracted with the options being measured) turned into its fast form
// by VD_FData2FastFData, then VD_Fast_CompareFData1to1,
// VD_Fast_MakeEnrollUsingFData, VD_FAST_CompareEnroll1toNUsingFData,
// VD_FAST_CompareEnroll1to1UsingFData and VD_FAST_SetSecurityLevel; the
// paired count comes from the fast matcher itself. The fast rule's not-moved band is the same for fills from images and
// from records, so enrolling records measures VD_Fast_MakeEnroll too. The match options do not apply: the fast matcher
// has its own rules.
class FastFamily : public MatcherFamily {
 public:
  explicit FastFamily(const FamilyOptions& options) : functions_(options.extraction, options.matching) {}

  std::string name() const override { return "fast"; }
  std::optional<Bytes> extract(const Image& image) override;
  bool compare1to1(const Bytes& stored, const Bytes& fresh) override;
  int enroll(const std::vector<const Image*>& impressions, Bytes& templ) override;
  Bytes assembleTemplate(const std::array<const std::optional<Bytes>*, 3>& records) override;
  int search1toN(const Image& probe, const std::vector<Bytes>& templates) override;
  int pairCount(const Bytes& stored, const Bytes& fresh) override;
  int pairsToMatch(int level) const override;
  void setLevel(Bytes& templ, int level) override;
  bool matchesTemplate(const Bytes& templ, const Bytes& fresh) override;

 private:
  // The fast record of an image, or the export's code when it was refused.
  int extractFast(const Image& image, Bytes& record);

  ridgecore::api::FeatureRecordFunctions functions_;
};

}  // namespace accuracy
