#pragma once

#include <optional>

#include "api/MatcherBridge.h"
#include "ridgecore.h"

// The seam between the fast exports and the fast engines (fast form and fast
// matching, in fast/). Each call returns a value: the optionals are the seam's
// way to say "not part of the build", which no longer arises.
namespace ridgecore::api::fastmatcher {

// The fast form of a record; false inside the optional when the conversion failed (-999).
std::optional<bool> toFastForm(const tagFDATA& record, tagFASTFDATA& fast);

// Fast paired count, `stored` being the stored side (record A).
std::optional<int> fastMatch(const tagFASTFDATA& stored, const tagFASTFDATA& other);

// The fast consistency rule (dy band -4..5).
std::optional<EnrollVerdict> checkNewImpression(const tagFASTENROLL& templ, int slot);

// Impression-major search over fast templates.
std::optional<SearchOutcome> searchTemplates(const tagFASTFDATA& probe, const TemplateList& templates, int* score);

}  // namespace ridgecore::api::fastmatcher
