#pragma once

#include <cstddef>
#include <memory>

#include "lockmere/bio/FastCandidates.h"
#include "lockmere/bio/RecordSearch.h"

namespace bio {

// One probe identified among any number of the data file's records, as the
// classic search in slices decides (RecordSearch), but first the record the
// fast family guesses (FastCandidates): when the classic comparison confirms
// it, the other records need no search. A guess that is wrong or missing costs
// the search of every record, so the outcome is always the classic one's.
//
//   bio::GuidedRecordSearch search(records.data(), records.count());
//   search.prepare();                          // the guess's index: about 0.1 ms a record
//   auto probe = search.classic().extract(image);
//   auto hit = search.identify(*probe);
//
// The records must stay where they are while the object lives. One thread at a time.
class GuidedRecordSearch {
 public:
  GuidedRecordSearch(const unsigned char* records, std::size_t count);

  bool isLoaded() const { return classic_.isLoaded(); }
  const std::string& errorString() const { return classic_.errorString(); }
  const RecordSearch& classic() const { return classic_; }

  // Builds the guess's index unless it is there (identify() does too); a
  // worker thread calls it before it waits for a finger.
  void prepare();
  // The records the guess can name (0 before prepare()).
  std::size_t guessable() const { return fast_ ? fast_->indexed() : 0; }

  RecordSearch::Result identify(const tagFDATA& probe);

 private:
  RecordSearch classic_;
  const unsigned char* records_;
  std::size_t count_;
  std::unique_ptr<FastCandidates> fast_;
};

}  // namespace bio
