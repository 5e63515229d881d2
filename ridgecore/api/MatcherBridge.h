#pragma once

#include <optional>

#include "api/RecordLayout.h"
#include "ridgecore.h"

// The seam between the exports and the classic matching engines (minutiae
// matching, enrollment consistency rule, template search). Each call returns
// std::nullopt while its engine is not part of the build; the exports then
// fail with kNotAvailable. Wiring an engine in means filling in MatcherBridge.cpp.
namespace ridgecore::api {

enum class EnrollVerdict { NotSameFinger = 0, Accepted = 1, NotMoved = 2 };

// The dy band that counts as "finger not moved": -5..5 for fills from an
// image, -4..5 for fills from a caller's record.
enum class NotMovedBand { FromImage, FromRecord };

struct SearchOutcome {
  enum class Kind { Match, NoMatch, BadTemplate };
  Kind kind = Kind::NoMatch;
  int index = -1;  // the matching template, for Match
};

namespace matcher {

// The consistency rule between the new impression in `slot` (its flag already
// cleared) and every filled slot of `templ`.
std::optional<EnrollVerdict> checkNewImpression(const tagENROLL& templ, int slot, NotMovedBand band);

// Paired count of two records, `scanned` being the scanned list.
std::optional<int> matchRecords(const tagFDATA& scanned, const tagFDATA& searched);

// Impression-major search; *score holds the last raw count while it runs.
std::optional<SearchOutcome> searchTemplates(const tagFDATA& probe, const TemplateList& templates, int* score);

}  // namespace matcher
}  // namespace ridgecore::api
