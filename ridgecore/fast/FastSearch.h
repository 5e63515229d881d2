#pragma once

#include "enroll/SearchTemplates.h"
#include "ridgecore.h"

namespace ridgecore {

// Searches count fast templates for the probe, exactly as the classic
// search does (SearchTemplates): template i at buffer + headerSize +
// i * dataSize, slot 0 of every template first, then slot 1, then slot 2;
// a template without the magic byte ends the search when it is reached
// (kSearchBadTemplate); the first comparison that reaches the fast pairs its
// template's security level asks for (enroll/SecurityLevel.h; 12 at level 5)
// is the match (kSearchMatched, *index, *score 100); else kSearchNoMatch with
// score 0. null outputs are allowed; a null buffer with templates to search
// is kSearchBadTemplate. count at most 32767 (the exports refuse more).
//
// Large searches run on several threads (threads 0: as many as the process
// may use, at most 4; 1: the calling thread only). Whatever the number, the
// outcome is the one slot-major order gives, and the library-wide
// translation is left as the comparisons up to the outcome, run one after
// the other, would have left it. The score output does not show the raw
// counts while the search runs.
int SearchFastTemplates(const tagFASTFDATA& probe, const unsigned char* buffer, int count, int dataSize, int headerSize,
                        int* index, int* score, int threads = 0);

// The 1:1 comparison with one fast template: the same search over a list of one.
int CompareWithFastTemplate(const tagFASTFDATA& probe, const tagFASTENROLL& enroll, int* score);

}  // namespace ridgecore
