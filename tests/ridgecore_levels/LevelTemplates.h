#pragma once

#include <cstring>

#include "match/synthetic/SyntheticMinutiae.h"
#include "ridgecore.h"
#include "tests/ridgecore/ExportCall.h"
#include "tests/ridgecore/RidgecoreLibrary.h"

// Completed templates of either family holding any records, as a caller's
// store may hold them, with their security level set through the library.
namespace leveltemplates {

inline tagFDATA noRecord() {
  tagFDATA empty;
  std::memset(&empty, 0, sizeof empty);
  return empty;
}

// The fast form of a record, through VD_FData2FastFData.
inline tagFASTFDATA fastOf(const tagFDATA& record) {
  tagFDATA source = record;
  tagFASTFDATA fast;
  std::memset(&fast, 0, sizeof fast);
  std::memcpy(fast.mark, "1040TF", 6);
  ridgecoretest::ExportCall call;
  ridgecoretest::lib().VD_FData2FastFData(&source, &fast, call.message, &call.error);
  return fast;
}

inline tagFASTFDATA noFastRecord() { return fastOf(noRecord()); }

// The header FinalizeTemplate writes: level 5.
inline tagENROLL classicTemplate(const tagFDATA& s0, const tagFDATA& s1 = noRecord(), const tagFDATA& s2 = noRecord()) {
  return ridgecore::synthetic::MakeTemplate(s0, s1, s2);
}

inline tagFASTENROLL fastTemplate(const tagFASTFDATA& s0, const tagFASTFDATA& s1 = noFastRecord(),
                                  const tagFASTFDATA& s2 = noFastRecord()) {
  return ridgecore::synthetic::MakeFastTemplate(s0, s1, s2);
}

inline bool setLevel(tagENROLL& e, int level) {
  ridgecoretest::ExportCall call;
  return ridgecoretest::lib().VD_SetSecurityLevel(&e, level, call.message, &call.error) == 1;
}

inline bool setLevel(tagFASTENROLL& e, int level) {
  ridgecoretest::ExportCall call;
  return ridgecoretest::lib().VD_FAST_SetSecurityLevel(&e, level, call.message, &call.error) == 1;
}

// The 1:1 decisions through the UsingFData exports: true for a score of 100.
inline bool matches(const tagFDATA& probe, tagENROLL& e) {
  tagFDATA fresh = probe;
  int score = -1;
  ridgecoretest::ExportCall call;
  ridgecoretest::lib().VD_CompareEnroll1to1UsingFData(&fresh, &e, &score, call.message, &call.error);
  return score == 100;
}

inline bool matches(const tagFASTFDATA& probe, tagFASTENROLL& e) {
  tagFASTFDATA fresh = probe;
  int score = -1;
  ridgecoretest::ExportCall call;
  ridgecoretest::lib().VD_FAST_CompareEnroll1to1UsingFData(&fresh, &e, &score, call.message, &call.error);
  return score == 100;
}

}  // namespace leveltemplates
