#pragma once

#include "api/FeatureRecordFunctions.h"
#include "bench/accuracy/MatcherFamily.h"

namespace accuracy {

// The classic family: VD_ExtractFData, VD_CompareFData1to1, VD_MakeEnroll and
// VD_CompareEnroll1toN, VD_CompareEnroll1to1UsingFData, run in process through
// the same functions as the exports (so that a variant of the extraction can
// be measured too); VD_SetSecurityLevel of libRidgecore.so.
class ClassicFamily : public MatcherFamily {
 public:
  explicit ClassicFamily(const FamilyOptions& options)
      : functions_(options.extraction, options.matching), matching_(options.matching) {}

  std::string name() const override { return "classic"; }
  std::optional<Bytes> extract(const Image& image) override;
  bool compare1to1(const Bytes& stored, const Bytes& fresh) override;
  int enroll(const std::vector<const Image*>& impressions, Bytes& templ) override;
  Bytes assembleTemplate(const std::array<const std::optional<Bytes>*, 3>& records) override;
  int search1toN(const Image& probe, const std::vector<Bytes>& templates) override;
  int pairCount(const Bytes& stored, const Bytes& fresh) override;
  int pairsToMatch(int level) const override;
  void setLevel(Bytes& templ, int level) override;
  bool matchesTemplate(const Bytes& templ, const Bytes& fresh) override;
  std::string lastComparison() const override;

 private:
  ridgecore::api::FeatureRecordFunctions functions_;
  ridgecore::MatchOptions matching_;
};

}  // namespace accuracy
