#pragma once

#include "api/MatcherBridge.h"
#include "ridgecore.h"

// The seam between the fast exports and the fast engines (fast form and fast
// matching, in fast/).
namespace ridgecore::api::fastmatcher {

// The fast form of a record (every record has one).
void toFastForm(const tagFDATA& record, tagFASTFDATA& fast);

// Fast paired count, `stored` being the stored side (record A).
int fastMatch(const tagFASTFDATA& stored, const tagFASTFDATA& other);

// The fast consistency rule (dy band -4..5).
EnrollVerdict checkNewImpression(const tagFASTENROLL& templ, int slot);

// Impression-major search over fast templates.
SearchOutcome searchTemplates(const tagFASTFDATA& probe, const TemplateList& templates, int* score);

}  // namespace ridgecore::api::fastmatcher
