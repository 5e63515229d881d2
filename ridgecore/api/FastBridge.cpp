#include "api/FastBridge.h"

#include "fast/FastEnroll.h"
#include "fast/FastForm.h"
#include "fast/FastMatch.h"
#include "fast/FastSearch.h"

// The fast exports' calls into the fast form and the fast matcher (fast/).
namespace ridgecore::api::fastmatcher {

// The conversion has no failure of its own: every record, whatever its
// count, has a fast form (a record claiming more than 50 minutiae gives its
// first 50).
void toFastForm(const tagFDATA& record, tagFASTFDATA& fast) { ToFastForm(record, fast); }

int fastMatch(const tagFASTFDATA& stored, const tagFASTFDATA& other) { return FastMatch(stored, other); }

EnrollVerdict checkNewImpression(const tagFASTENROLL& templ, int slot) {
  switch (CheckNewFastImpression(templ, slot)) {
    case ridgecore::EnrollVerdict::Accepted:
      return EnrollVerdict::Accepted;
    case ridgecore::EnrollVerdict::NotMoved:
      return EnrollVerdict::NotMoved;
    case ridgecore::EnrollVerdict::NotSameFinger:
      break;
  }
  return EnrollVerdict::NotSameFinger;
}

SearchOutcome searchTemplates(const tagFASTFDATA& probe, const TemplateList& templates, int* score) {
  int index = -1;
  const int code = SearchFastTemplates(probe, templates.buffer, templates.count, templates.dataSize,
                                       templates.headerSize, &index, score);
  if (code == kSearchMatched) return SearchOutcome{SearchOutcome::Kind::Match, index};
  if (code == kSearchBadTemplate) return SearchOutcome{SearchOutcome::Kind::BadTemplate, -1};
  return SearchOutcome{SearchOutcome::Kind::NoMatch, -1};
}

}  // namespace ridgecore::api::fastmatcher
