#include "lockmere/bio/RecordSearch.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "lockmere/bio/NimbraExports.h"

namespace bio {
namespace {

// Templates and feature records are the user's biometrics: no copy outlives its use.
struct WipedBuffer {
  explicit WipedBuffer(std::size_t size) : bytes(size) {}
  ~WipedBuffer() { explicit_bzero(bytes.data(), bytes.size()); }
  std::vector<unsigned char> bytes;
};

RecordSearch::Result failure(int error, const char* message) {
  RecordSearch::Result r;
  r.error = error;
  r.message = message;
  return r;
}

}  // namespace

RecordSearch::RecordSearch() {
  if (!library_.load()) {
    error_ = "Dynamic library " + library_.fileName() + " not found (" + library_.errorString() + ")";
    return;
  }
  search_ = library_.resolve<SearchFunction>(kSearchExport);
  extract_ = library_.resolve<ExtractFunction>("VD_ExtractFData");
  if (!search_) error_ = "VD_CompareEnroll1toNUsingFData is not exported by " + library_.fileName();
  if (!extract_) error_ = "VD_ExtractFData is not exported by " + library_.fileName();
}

std::optional<tagFDATA> RecordSearch::extract(const unsigned char* image, Result* why) const {
  if (!extract_) {
    if (why) *why = failure(-100, error_.c_str());
    return std::nullopt;
  }
  tagFDATA record;
  char message[256] = "";
  int error = 0;
  int ok = 0;
  {
    std::lock_guard lock(NimbraExports::callLock());
    ok = extract_(image, &record, message, &error);
  }
  if (ok == 1) return record;
  explicit_bzero(&record, sizeof record);
  if (why) *why = failure(error, message);
  return std::nullopt;
}

RecordSearch::Result RecordSearch::identify(const tagFDATA& probe, const unsigned char* records, std::size_t count,
                                            std::size_t first) const {
  if (!search_) return failure(-100, error_.c_str());
  return identify(search_, probe, records, count, first);
}

RecordSearch::Result RecordSearch::identify(SearchFunction search, const tagFDATA& probe, const unsigned char* records,
                                            std::size_t count, std::size_t first) {
  Result result;
  result.error = -9;
  if (!records || first >= count) return result;
  // The library takes non-const buffers; it gets copies, which also lets a
  // slice leave out incomplete templates while keeping the records' indexes.
  WipedBuffer slice(kSliceSize * kRecordSize);
  WipedBuffer probeCopy(sizeof(tagFDATA));
  std::memcpy(probeCopy.bytes.data(), &probe, sizeof probe);
  auto* probeRecord = reinterpret_cast<tagFDATA*>(probeCopy.bytes.data());
  std::vector<std::size_t> indexes;
  std::size_t next = first;
  while (next < count) {
    indexes.clear();
    for (; next < count && indexes.size() < kSliceSize; ++next) {
      const unsigned char* record = records + next * kRecordSize;
      if (record[kHeaderSize + 1] != RIDGECORE_ENROLL_MAGIC) {
        ++result.skipped;
        continue;
      }
      std::memcpy(slice.bytes.data() + indexes.size() * kRecordSize, record, kRecordSize);
      indexes.push_back(next);
    }
    if (indexes.empty()) break;
    int index = -1, score = 0, error = 0;
    char message[256] = "";
    int ok = 0;
    {
      std::lock_guard lock(NimbraExports::callLock());
      ok = search(probeRecord, slice.bytes.data(), static_cast<int>(indexes.size()), static_cast<int>(kRecordSize),
                  static_cast<int>(kHeaderSize), &index, &score, message, &error);
    }
    if (ok != 1) {
      Result failed = failure(error, message);
      failed.skipped = result.skipped;
      return failed;
    }
    if (score == 100 && index >= 0 && static_cast<std::size_t>(index) < indexes.size()) {
      result.index = static_cast<int>(indexes[static_cast<std::size_t>(index)]);
      result.error = 0;
      return result;
    }
  }
  return result;
}

}  // namespace bio
