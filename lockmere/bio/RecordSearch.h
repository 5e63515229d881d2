#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/Library.h"
#include "ridgecore/ridgecore.h"

namespace bio {

// Identifies one impression among any number of template records: the
// data file's 3656-byte records with the template at byte 52, as the all-users
// array of the login window holds them. The library's classic 1:N search
// takes at most 60 templates a call, so the records are searched in slices of
// up to 60, in order, and the first slice with a match decides. Within a
// slice the library's own order holds (slot 0 of every template, then slot 1,
// then slot 2); a match is a fixed bound of paired minutiae, not a best score,
// so a probe that matched two fingers would name the one in the earlier slice.
//
//   bio::RecordSearch search;                 // loads libRidgecore.so by file name
//   auto probe = search.extract(image);       // 300 x 300, as the sensor delivers it
//   auto hit = search.identify(*probe, records.data(), records.count());
//   if (hit.matched()) owner = records.owner(hit.index);
//
// Records whose template is not complete (byte 1 not 0xDA) are passed over and
// counted, instead of ending the search for everybody as the library would
// with -8. Calls into the library hold NimbraExports::callLock(), so a search
// may run beside the binding's threads. One object is for one thread at a time.
class RecordSearch {
 public:
  static constexpr std::size_t kRecordSize = 3656;
  static constexpr std::size_t kHeaderSize = 52;
  static constexpr std::size_t kSliceSize = RIDGECORE_MAX_USERS;

  struct Result {
    int index = -1;           // the matched record, -1 when none
    int error = 0;            // 0 matched, -9 searched without a match, else the failed call's code
    std::string message;      // the library's text for a failed call
    std::size_t skipped = 0;  // records passed over as not complete
    bool matched() const { return index >= 0; }
    bool failed() const { return index < 0 && error != -9; }
  };

  // The library's classic search with a feature record (its C++-linkage export).
  using SearchFunction = int (*)(tagFDATA*, unsigned char*, int, int, int, int*, int*, char*, int*);
  using ExtractFunction = int (*)(const unsigned char*, tagFDATA*, char*, int*);
  static constexpr const char* kSearchExport = "_Z30VD_CompareEnroll1toNUsingFDataP8tagFDATAPhiiiPiS2_PcS2_";

  RecordSearch();
  bool isLoaded() const { return search_ != nullptr && extract_ != nullptr; }
  // Why the library or one of its two exports could not be had.
  const std::string& errorString() const { return error_; }

  // The feature record of a 300 x 300 image; nullopt with the library's code
  // and text in *why (-12 poor quality, -3 extraction failed).
  std::optional<tagFDATA> extract(const unsigned char* image, Result* why = nullptr) const;

  // Searches records first .. count - 1 (the array holds count records).
  Result identify(const tagFDATA& probe, const unsigned char* records, std::size_t count, std::size_t first = 0) const;

  // The same with any search function of the library's shape.
  static Result identify(SearchFunction search, const tagFDATA& probe, const unsigned char* records, std::size_t count,
                         std::size_t first = 0);

 private:
  platform::Library library_{"Ridgecore.dll"};
  SearchFunction search_ = nullptr;
  ExtractFunction extract_ = nullptr;
  std::string error_;
};

}  // namespace bio
