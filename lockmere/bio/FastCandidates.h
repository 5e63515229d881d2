#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/Library.h"
#include "ridgecore/ridgecore.h"

namespace bio {

// A quick first guess for a search over many of the data file's records: each
// record's template turned once into the library's fast form, and a probe
// searched among all of them in one call of the fast family (any number of
// templates, on several threads). The guess only orders the work: the classic
// search confirms the record it names and searches everything when it names
// none or the wrong one, so a decision is always the classic matcher's.
//
//   bio::FastCandidates fast(records.data(), records.count());   // about 0.1 ms a record
//   if (auto c = fast.candidate(probe)) classic search of record *c first
//
// A record whose three impressions the fast enrollment rule refuses (or that is
// not complete) is not in the index; only the classic search finds it. Calls
// into the library hold NimbraExports::callLock(). One thread at a time.
class FastCandidates {
 public:
  static constexpr std::size_t kRecordSize = 3656;
  static constexpr std::size_t kHeaderSize = 52;

  FastCandidates(const unsigned char* records, std::size_t count);
  ~FastCandidates();  // wipes the fast templates
  FastCandidates(const FastCandidates&) = delete;
  FastCandidates& operator=(const FastCandidates&) = delete;

  bool isLoaded() const { return search_ != nullptr; }
  const std::string& errorString() const { return error_; }
  // How many records the index holds.
  std::size_t indexed() const { return recordOf_.size(); }

  // The record the fast search matches the probe with, when it matches one.
  std::optional<std::size_t> candidate(const tagFDATA& probe) const;

 private:
  using ToFastFunction = int (*)(tagFDATA*, tagFASTFDATA*, char*, int*);
  using MakeFunction = int (*)(tagFASTFDATA*, int, tagFASTENROLL*, char*, int*);
  using LevelFunction = int (*)(tagFASTENROLL*, int, char*, int*);
  using SearchFunction = int (*)(tagFASTFDATA*, unsigned char*, int, int, int, int*, int*, char*, int*);

  bool toFast(const tagFDATA& record, tagFASTFDATA& out) const;
  bool add(const tagENROLL& classic, std::size_t record);

  platform::Library library_{"Ridgecore.dll"};
  ToFastFunction toFast_ = nullptr;
  MakeFunction make_ = nullptr;
  LevelFunction level_ = nullptr;
  SearchFunction search_ = nullptr;
  std::vector<unsigned char> templates_;  // tagFASTENROLL, one after the other
  std::vector<std::size_t> recordOf_;     // the record each fast template stands for
  std::string error_;
};

}  // namespace bio
