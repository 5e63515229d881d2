#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/CategoryModel.h"
#include "lockmere/store/DataFileHeader.h"
#include "lockmere/store/SiteModel.h"
#include "lockmere/store/TemplateRecords.h"

// One user's data file: header, template records, encrypted store.
namespace store {

struct StoreLoad {
  enum Result {
    Loaded,   // a store was read
    NoStore,  // the file ends after its records: nothing stored yet (success)
    Failed,   // missing file, bad header, short or bad store, stream that does not parse
  };
  Result result = Failed;
  std::unique_ptr<TLMCateList> cates;  // set for Loaded and NoStore (then empty)
  std::unique_ptr<TRegSiteList> sites;
  std::string error;

  bool ok() const { return result != Failed; }
};

class DataFile {
 public:
  explicit DataFile(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }

  bool exists() const;

  // The header, validated against the file's size.
  std::optional<DataFileHeader> readHeader(std::string* error = nullptr) const;

  StoreLoad loadStore(const crypto::SecureBytes& dataKey) const;

  // Writes the lists behind the file's header and records, as a new file that
  // replaces the old one only once it is completely on disk. False (old file
  // untouched) when the file is missing, its header is not valid, or anything
  // fails on the way.
  bool saveStore(const crypto::SecureBytes& dataKey, const TLMCateList& cates, const TRegSiteList& sites,
                 std::string* error = nullptr) const;

  // The file's template records, decrypted (3656 bytes each, in file order).
  std::optional<TemplateRecords> loadTemplateRecords(const crypto::SecureBytes& programKey,
                                                     std::string* error = nullptr) const;

  // A new data file (what the new-user tool leaves behind): header with the
  // check block for this user and data key, the records encrypted in
  // recordSize bytes each, no store. Mode 0600.
  static bool create(const std::string& path, std::string_view userId, const crypto::SecureBytes& dataKey,
                     const TemplateRecords& records, const crypto::SecureBytes& programKey,
                     std::int32_t recordSize = TemplateRecords::kRecordSize, std::string* error = nullptr);

  // The same work on a file's bytes (the fuzz targets use these).
  static StoreLoad loadStoreFromBytes(std::string_view file, const crypto::SecureBytes& dataKey);
  static std::optional<TemplateRecords> templateRecordsFromBytes(std::string_view file,
                                                                 const crypto::SecureBytes& programKey,
                                                                 std::string* error = nullptr);

 private:
  std::string path_;
};

// One user as the users key lists them: for loading everyone's templates.
struct UserFile {
  std::string userId;
  std::string dataFile;
};

// Every listed user's records appended in the given order (the registry's
// enumeration order), each user's in file order. Users whose file is missing
// or unreadable add nothing.
TemplateRecords loadAllTemplateRecords(const std::vector<UserFile>& users, const crypto::SecureBytes& programKey);

}  // namespace store
