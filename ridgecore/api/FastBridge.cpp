#include "api/FastBridge.h"

// The fast engines (fast/) are not in this build yet: every call reports "not
// available". Replace each body by the call into the engine.
namespace ridgecore::api::fastmatcher {

std::optional<bool> toFastForm(const tagFDATA&, tagFASTFDATA&) { return std::nullopt; }

std::optional<int> fastMatch(const tagFASTFDATA&, const tagFASTFDATA&) { return std::nullopt; }

std::optional<EnrollVerdict> checkNewImpression(const tagFASTENROLL&, int) { return std::nullopt; }

std::optional<SearchOutcome> searchTemplates(const tagFASTFDATA&, const TemplateList&, int*) { return std::nullopt; }

}  // namespace ridgecore::api::fastmatcher
