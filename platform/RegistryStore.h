#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/RegistryResult.h"

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

// One registry file: an SQLite connection with the keys and values tables.
// Internal to Registry and RegistryKey; every call takes the connection's lock, so
// one store serves several threads. Each write is its own transaction; a busy file
// is waited for (other processes commit quickly), so concurrent writers lose nothing.
class RegistryStore {
 public:
  enum class Mode { ReadWrite, ReadOnly };

  // Where a key lives: its row and its path in stored case ("" for the root).
  struct KeyRef {
    std::int64_t id = 0;
    std::string path;
  };
  struct StoredValue {
    RegistryType type = RegistryType::None;
    std::string data;
  };

  // Who may read a file this store creates: the machine scope is read by every
  // user's program (it holds no secrets and only its installer writes it).
  enum class Readers { Owner, Everyone };

  RegistryStore(std::string path, Mode mode, Readers readers = Readers::Owner);
  // A store that was refused before opening (its folder cannot be trusted): every
  // call fails with the reason.
  RegistryStore(std::string path, const std::string& refusal);
  ~RegistryStore();
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  const std::string& path() const { return path_; }
  // The outcome of opening the file; when not ok, every call fails with it.
  const RegistryResult& openResult() const { return openResult_; }
  bool writable() const { return writable_; }

  static KeyRef root() { return {kRootId, std::string()}; }

  RegistryValue<KeyRef> resolve(const KeyRef& from, const std::vector<std::string>& segments, bool create);
  RegistryResult removeTree(const KeyRef& from, const std::vector<std::string>& segments);
  bool alive(const KeyRef& key);
  RegistryValue<std::vector<std::string>> subkeyNames(const KeyRef& key);
  RegistryValue<bool> hasSubkeys(const KeyRef& key);
  RegistryValue<std::vector<std::string>> valueNames(const KeyRef& key);
  RegistryValue<StoredValue> readValue(const KeyRef& key, const std::string& name);
  RegistryResult writeValue(const KeyRef& key, const std::string& name, RegistryType type, const void* data,
                            std::size_t size);
  RegistryResult removeValue(const KeyRef& key, const std::string& name);

  // A transaction around several calls (RegistryTransaction). Between begin and
  // commit or rollback this thread holds the store: other threads' calls wait.
  RegistryResult beginBatch();
  RegistryResult commitBatch();
  void rollbackBatch();

 private:
  static constexpr std::int64_t kRootId = 1;
  class Statement;
  class Transaction;

  void open();
  RegistryResult initialise();
  RegistryResult usable(bool forWriting) const;
  RegistryResult sqliteFailure(const char* what = nullptr) const;
  sqlite3_stmt* prepare(const char* sql);
  bool aliveLocked(std::int64_t id, RegistryResult& error);
  RegistryValue<KeyRef> resolveLocked(const KeyRef& from, const std::vector<std::string>& segments, bool create);
  RegistryValue<std::vector<std::string>> namesLocked(const char* sql, const KeyRef& key);
  static std::string displayPath(const std::string& path);

  std::string path_;
  Mode mode_;
  Readers readers_;
  sqlite3* db_ = nullptr;
  bool empty_ = false;  // read-only and the file does not exist (yet): a registry with no keys
  bool writable_ = false;
  RegistryResult openResult_;
  std::recursive_mutex mutex_;  // recursive: the calls inside a batch take it again
  bool batchOpen_ = false;
  std::unordered_map<const char*, sqlite3_stmt*> statements_;
};

}  // namespace platform
