#pragma once

#include "api/FeatureRecordFunctions.h"
#include "bench/accuracy/MatcherFamily.h"

namespace accuracy {

// The classic family: VD_ExtractFData, VD_CompareFData1to1, VD_MakeEnroll and
// VD_CompareEnroll1toN, run in process through the same functions as the
// exports (so that a variant of the extraction can be measured too).
class ClassicFamily : public MatcherFamily {
 public:
  explicit ClassicFamily(const FamilyOptions& options) : functions_(options.extraction, options.matching) {}

  std::string name() const override { return "classic"; }
  std::optional<Bytes> extract(const Image& image) override;
  bool compare1to1(const Bytes& stored, const Bytes& fresh) override;
  int enroll(const std::vector<const Image*>& impressions, Bytes& templ) override;
  Bytes assembleTemplate(const std::array<const std::optional<Bytes>*, 3>& records) override;
  int search1toN(const Image& probe, const std::vector<Bytes>& templates) override;
  std::string lastComparison() const override;

 private:
  ridgecore::api::FeatureRecordFunctions functions_;
};

}  // namespace accuracy
