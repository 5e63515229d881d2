#include "api/MatcherBridge.h"

#include "enroll/SearchTemplates.h"
#include "match/MatchFeatureSets.h"

namespace ridgecore::api::matcher {

EnrollVerdict checkNewImpression(const tagENROLL& templ, int slot, NotMovedBand band, const MatchOptions& options) {
  const ImpressionSource source =
      band == NotMovedBand::FromRecord ? ImpressionSource::FeatureRecord : ImpressionSource::Image;
  return CheckNewImpression(templ, slot, source, options);
}

int matchRecords(const tagFDATA& scanned, const tagFDATA& searched, const MatchOptions& options) {
  return MatchFeatureSets(&scanned, &searched, options);
}

SearchOutcome searchTemplates(const tagFDATA& probe, const TemplateList& templates, int* score,
                              const MatchOptions& options) {
  SearchOutcome outcome;
  switch (SearchTemplates(probe, templates.buffer, templates.count, templates.dataSize, templates.headerSize,
                          &outcome.index, score, options)) {
    case kSearchMatched:
      outcome.kind = SearchOutcome::Kind::Match;
      break;
    case kSearchBadTemplate:
      outcome.kind = SearchOutcome::Kind::BadTemplate;
      break;
    default:
      outcome.kind = SearchOutcome::Kind::NoMatch;
      break;
  }
  return outcome;
}

}  // namespace ridgecore::api::matcher
