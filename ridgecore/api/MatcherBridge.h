#pragma once

#include "api/RecordLayout.h"
#include "enroll/CheckNewImpression.h"
#include "match/MatchOptions.h"
#include "ridgecore.h"

// The seam between the exports and the engines: the classic engines
// (minutiae matching, enrollment consistency rule, template search) here,
// the fast ones in FastBridge.h, which shares the verdict and outcome types.
namespace ridgecore::api {

using EnrollVerdict = ridgecore::EnrollVerdict;

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
EnrollVerdict checkNewImpression(const tagENROLL& templ, int slot, NotMovedBand band, const MatchOptions& options);

// Paired count of two records, `scanned` being the scanned list: N when the
// decision accepts, 0 when it rejects, -1 when a record has no minutiae.
int matchRecords(const tagFDATA& scanned, const tagFDATA& searched, const MatchOptions& options);

// Impression-major search; *score holds the last raw count while it runs.
SearchOutcome searchTemplates(const tagFDATA& probe, const TemplateList& templates, int* score,
                              const MatchOptions& options);

}  // namespace matcher
}  // namespace ridgecore::api
