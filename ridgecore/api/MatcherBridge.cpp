#include "api/MatcherBridge.h"

// The classic engines (match/, enroll/) are not in this build yet: every call
// reports "not available". Replace each body by the call into the engine.
namespace ridgecore::api::matcher {

std::optional<EnrollVerdict> checkNewImpression(const tagENROLL&, int, NotMovedBand) { return std::nullopt; }

std::optional<int> matchRecords(const tagFDATA&, const tagFDATA&) { return std::nullopt; }

std::optional<SearchOutcome> searchTemplates(const tagFDATA&, const TemplateList&, int*) { return std::nullopt; }

}  // namespace ridgecore::api::matcher
