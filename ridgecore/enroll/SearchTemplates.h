#pragma once

#include "match/MatchOptions.h"
#include "ridgecore.h"

namespace ridgecore {

// Result codes of a template search, as the exports report them.
inline constexpr int kSearchMatched = 0;
inline constexpr int kSearchBadTemplate = -8;  // a template without the magic byte: result 0
inline constexpr int kSearchNoMatch = -9;      // completed without a match: result 1
inline constexpr int kMatchingPairs = 12;      // two records match with more than 11 pairs
inline constexpr int kMatchScore = 100;        // the score output of a match (0 without one)

// Searches count templates for the probe. Template i starts at
// buffer + headerSize + i * dataSize. Slot 0 of every template is tried
// first, then slot 1, then slot 2, templates in index order; a template whose
// magic byte is missing ends the search when it is reached (-8). The first
// comparison that reaches the pairs its template's security level asks for
// (enroll/SecurityLevel.h; 12 at level 5) is the match. While the search runs *score
// holds the raw count of the last comparison; on return it is 100 (match) or
// 0, and *index the matching template or -1. The caller has checked the
// arguments (count 0..60, dataSize > 0, headerSize >= 0, probe valid); a
// count of 0 or less finds nothing; a null buffer with templates to search is
// kSearchBadTemplate, and null outputs are allowed. Slot flags are not read.
// Returns kSearchMatched, kSearchBadTemplate or kSearchNoMatch.
int SearchTemplates(const tagFDATA& probe, const unsigned char* buffer, int count, int dataSize, int headerSize,
                    int* index, int* score, const MatchOptions& options = {});

// The 1:1 comparison with one template: the same search over a list of one.
int CompareWithTemplate(const tagFDATA& probe, const tagENROLL& enroll, int* score, const MatchOptions& options = {});

}  // namespace ridgecore
