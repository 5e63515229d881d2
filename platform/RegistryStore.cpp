#include "platform/RegistryStore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/Paths.h"
#include "platform/RegistryNames.h"

namespace platform {
namespace {

// A busy file belongs to another writer that commits within milliseconds; wait
// generously so that a loaded machine does not turn contention into lost writes.
constexpr int kBusyTimeoutMs = 15000;
constexpr std::int32_t kApplicationId = 0x4C4D5247;  // "LMRG": marks our files
constexpr int kFormatVersion = 1;

constexpr const char* kSchema = R"sql(
CREATE TABLE keys(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  parent INTEGER REFERENCES keys(id),
  name TEXT NOT NULL,
  fold TEXT NOT NULL,
  UNIQUE(parent, fold));
CREATE TABLE vals(
  id INTEGER PRIMARY KEY,
  key INTEGER NOT NULL REFERENCES keys(id),
  name TEXT NOT NULL,
  fold TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  UNIQUE(key, fold));
INSERT INTO keys(id, parent, name, fold) VALUES (1, NULL, '', '');
PRAGMA application_id = 1280135751;
PRAGMA user_version = 1;
)sql";

#define LM_SUBTREE_OF_1 \
  "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id) "
constexpr const char* kDeleteSubtreeValues = LM_SUBTREE_OF_1 "DELETE FROM vals WHERE key IN tree";
constexpr const char* kDeleteSubtreeKeys = LM_SUBTREE_OF_1 "DELETE FROM keys WHERE id IN tree";
#undef LM_SUBTREE_OF_1

RegistryResult failed(std::string message) { return {RegistryStatus::Failed, std::move(message)}; }
RegistryResult notFound(std::string message) { return {RegistryStatus::NotFound, std::move(message)}; }

std::string folderOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string joinSegments(const std::vector<std::string>& segments) {
  std::string out;
  for (const auto& s : segments) out += "\\" + s;
  return out;
}

}  // namespace

// A cached prepared statement, reset when it goes out of scope. A statement that
// failed to prepare steps to SQLITE_ERROR, so callers need one error path only.
class RegistryStore::Statement {
 public:
  Statement(RegistryStore& store, const char* sql) : stmt_(store.prepare(sql)) {}
  ~Statement() {
    if (stmt_) {
      sqlite3_reset(stmt_);
      sqlite3_clear_bindings(stmt_);
    }
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(int i, std::int64_t v) {
    if (stmt_) sqlite3_bind_int64(stmt_, i, v);
    return *this;
  }
  Statement& bindText(int i, const std::string& s) {
    if (stmt_) sqlite3_bind_text64(stmt_, i, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
  }
  Statement& bindBlob(int i, const void* data, std::size_t size) {
    if (!stmt_) return *this;
    if (size == 0)
      sqlite3_bind_zeroblob(stmt_, i, 0);  // a null pointer would bind NULL
    else
      sqlite3_bind_blob64(stmt_, i, data, size, SQLITE_TRANSIENT);
    return *this;
  }
  int step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
  std::int64_t integer(int col) { return sqlite3_column_int64(stmt_, col); }
  std::string bytes(int col) {
    const void* p = sqlite3_column_blob(stmt_, col);
    int n = sqlite3_column_bytes(stmt_, col);
    return p ? std::string(static_cast<const char*>(p), static_cast<std::size_t>(n)) : std::string();
  }

 private:
  sqlite3_stmt* stmt_;
};

// BEGIN on construction, ROLLBACK unless committed. A write transaction takes the
// write lock at once (BEGIN IMMEDIATE), so two writers never deadlock on an upgrade.
// Inside a batch it is a savepoint, so that a failed call undoes only itself.
class RegistryStore::Transaction {
 public:
  Transaction(RegistryStore& store, bool write) : db_(store.db_), nested_(store.batchOpen_) {
    const char* begin = nested_ ? "SAVEPOINT registry_call" : write ? "BEGIN IMMEDIATE" : "BEGIN";
    begun_ = sqlite3_exec(db_, begin, nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  ~Transaction() {
    if (begun_)
      sqlite3_exec(db_, nested_ ? "ROLLBACK TO registry_call; RELEASE registry_call" : "ROLLBACK", nullptr, nullptr,
                   nullptr);
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  bool begun() const { return begun_; }
  bool commit() {
    if (sqlite3_exec(db_, nested_ ? "RELEASE registry_call" : "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
      return false;
    begun_ = false;
    return true;
  }

 private:
  sqlite3* db_;
  bool nested_;
  bool begun_ = false;
};

RegistryStore::RegistryStore(std::string path, Mode mode, Readers readers)
    : path_(std::move(path)), mode_(mode), readers_(readers) {
  open();
}

RegistryStore::RegistryStore(std::string path, const std::string& refusal)
    : path_(std::move(path)), mode_(Mode::ReadOnly), readers_(Readers::Owner), openResult_(failed(refusal)) {}

RegistryStore::~RegistryStore() {
  for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
  if (db_) sqlite3_close(db_);
}

void RegistryStore::open() {
  struct stat st {};
  bool exists = ::stat(path_.c_str(), &st) == 0;
  if (!exists && errno != ENOENT && errno != ENOTDIR) {
    openResult_ = failed(path_ + ": " + std::strerror(errno));
    return;
  }
  if (exists && S_ISDIR(st.st_mode)) {
    openResult_ = failed(path_ + " is a folder, not a registry file");
    return;
  }
  if (!exists && mode_ == Mode::ReadOnly) {
    empty_ = true;  // nobody has written this scope yet
    return;
  }
  if (!exists) {
    // Create the file ourselves, so that its mode does not depend on the umask.
    const bool everyone = readers_ == Readers::Everyone;
    std::string folder = folderOf(path_);
    if (!paths::makeDirs(folder, everyone ? 0755 : 0700)) {
      openResult_ = failed("cannot create the folder " + folder + ": " + std::strerror(errno));
      return;
    }
    const mode_t fileMode = everyone ? 0644 : 0600;
    int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, fileMode);
    if (fd < 0 && errno != EEXIST) {
      openResult_ = failed("cannot create " + path_ + ": " + std::strerror(errno));
      return;
    }
    if (fd >= 0) {
      ::fchmod(fd, fileMode);
      ::close(fd);
    }
  }
  int flags = (mode_ == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX |
              SQLITE_OPEN_NOFOLLOW;
  if (sqlite3_open_v2(path_.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    openResult_ = failed(path_ + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory"));
    return;
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  // Deleted values (key blocks among them) are overwritten in the file, not just
  // unlinked: whatever default the distribution's SQLite was built with.
  if (sqlite3_exec(db_, "PRAGMA secure_delete = ON", nullptr, nullptr, nullptr) != SQLITE_OK) {
    openResult_ = sqliteFailure();
    return;
  }
  // SQLite opens a file it may not write read-only without saying so; remember it so
  // that writes report the real reason.
  writable_ = mode_ == Mode::ReadWrite && sqlite3_db_readonly(db_, "main") == 0;
  openResult_ = initialise();
}

RegistryResult RegistryStore::initialise() {
  Transaction tx(*this, writable_);
  if (!tx.begun()) return sqliteFailure();
  std::int64_t appId = 0, tables = 0, version = 0;
  {
    Statement id(*this, "PRAGMA application_id");
    if (id.step() != SQLITE_ROW) return sqliteFailure();
    appId = id.integer(0);
  }
  {
    Statement count(*this, "SELECT count(*) FROM sqlite_master");
    if (count.step() != SQLITE_ROW) return sqliteFailure();
    tables = count.integer(0);
  }
  if (appId == 0 && tables == 0) {
    if (!writable_) {
      empty_ = true;
      return {};
    }
    if (sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) return sqliteFailure();
  } else if (appId != kApplicationId) {
    return failed(path_ + " is not a Lockmere registry file");
  } else {
    Statement v(*this, "PRAGMA user_version");
    if (v.step() != SQLITE_ROW) return sqliteFailure();
    version = v.integer(0);
    if (version > kFormatVersion)
      return failed(path_ + " was written by a newer version (format " + std::to_string(version) + ")");
  }
  if (!tx.commit()) return sqliteFailure();
  return {};
}

RegistryResult RegistryStore::usable(bool forWriting) const {
  if (!openResult_.ok()) return openResult_;
  if (forWriting && !writable_)
    return failed(mode_ == Mode::ReadOnly ? path_ + " is opened read-only" : path_ + " is not writable");
  return {};
}

RegistryResult RegistryStore::sqliteFailure(const char* what) const {
  std::string text = db_ ? sqlite3_errmsg(db_) : "not open";
  return failed(path_ + ": " + (what ? std::string(what) + ": " : std::string()) + text);
}

sqlite3_stmt* RegistryStore::prepare(const char* sql) {
  auto it = statements_.find(sql);
  if (it != statements_.end()) return it->second;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) return nullptr;
  statements_.emplace(sql, stmt);
  return stmt;
}

std::string RegistryStore::displayPath(const std::string& path) { return path.empty() ? std::string("\\") : path; }

bool RegistryStore::aliveLocked(std::int64_t id, RegistryResult& error) {
  Statement find(*this, "SELECT 1 FROM keys WHERE id = ?1");
  find.bind(1, id);
  int rc = find.step();
  if (rc == SQLITE_ROW) return true;
  error = rc == SQLITE_DONE ? notFound("the key was deleted") : sqliteFailure();
  return false;
}

bool RegistryStore::alive(const KeyRef& key) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!openResult_.ok()) return false;
  if (empty_) return key.id == kRootId;
  RegistryResult ignored;
  return aliveLocked(key.id, ignored);
}

RegistryValue<RegistryStore::KeyRef> RegistryStore::resolveLocked(const KeyRef& from,
                                                                  const std::vector<std::string>& segments,
                                                                  bool create) {
  RegistryResult error;
  if (!aliveLocked(from.id, error)) return error;
  KeyRef current = from;
  for (const auto& segment : segments) {
    std::string fold = registry::foldCase(segment);
    Statement find(*this, "SELECT id, name FROM keys WHERE parent = ?1 AND fold = ?2");
    find.bind(1, current.id).bindText(2, fold);
    int rc = find.step();
    if (rc == SQLITE_ROW) {
      current.id = find.integer(0);
      current.path += '\\';
      current.path += find.bytes(1);
      continue;
    }
    if (rc != SQLITE_DONE) return sqliteFailure();
    if (!create) return notFound("key " + displayPath(from.path + joinSegments(segments)) + " does not exist");
    Statement insert(*this, "INSERT INTO keys(parent, name, fold) VALUES (?1, ?2, ?3)");
    insert.bind(1, current.id).bindText(2, segment).bindText(3, fold);
    if (insert.step() != SQLITE_DONE) return sqliteFailure();
    current.id = sqlite3_last_insert_rowid(db_);
    current.path += "\\" + segment;
  }
  return current;
}

RegistryValue<RegistryStore::KeyRef> RegistryStore::resolve(const KeyRef& from,
                                                            const std::vector<std::string>& segments, bool create) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (auto u = usable(create); !u) return u;
  if (empty_) {
    if (segments.empty() && from.id == kRootId) return from;
    return notFound("key " + displayPath(from.path + joinSegments(segments)) + " does not exist");
  }
  Transaction tx(*this, create);
  if (!tx.begun()) return sqliteFailure();
  auto result = resolveLocked(from, segments, create);
  if (result && create && !tx.commit()) return sqliteFailure();
  return result;
}

RegistryResult RegistryStore::removeTree(const KeyRef& from, const std::vector<std::string>& segments) {
  if (segments.empty()) return {RegistryStatus::InvalidArgument, "name the subkey to delete"};
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (auto u = usable(true); !u) return u;
  Transaction tx(*this, true);
  if (!tx.begun()) return sqliteFailure();
  auto target = resolveLocked(from, segments, false);
  if (!target) return target;
  // The subtree's values first, then its keys, in one transaction.
  for (const char* sql : {kDeleteSubtreeValues, kDeleteSubtreeKeys}) {
    Statement remove(*this, sql);
    remove.bind(1, target.value().id);
    if (remove.step() != SQLITE_DONE) return sqliteFailure();
  }
  if (!tx.commit()) return sqliteFailure();
  return {};
}

RegistryValue<std::vector<std::string>> RegistryStore::namesLocked(const char* sql, const KeyRef& key) {
  if (empty_) {
    if (key.id == kRootId) return std::vector<std::string>();
    return notFound("the key was deleted");
  }
  Transaction tx(*this, false);
  if (!tx.begun()) return sqliteFailure();
  RegistryResult error;
  if (!aliveLocked(key.id, error)) return error;
  std::vector<std::string> names;
  Statement list(*this, sql);
  list.bind(1, key.id);
  int rc;
  while ((rc = list.step()) == SQLITE_ROW) names.push_back(list.bytes(0));
  if (rc != SQLITE_DONE) return sqliteFailure();
  return names;
}

RegistryValue<std::vector<std::string>> RegistryStore::subkeyNames(const KeyRef& key) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (auto u = usable(false); !u) return u;
  // Sorted by the folded name: the case-insensitive alphabetical order callers rely on.
  return namesLocked("SELECT name FROM keys WHERE parent = ?1 ORDER BY fold", key);
}

RegistryValue<std::vector<std::string>> RegistryStore::valueNames(const KeyRef& key) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (auto u = usable(false); !u) return u;
  // Values keep the order in which they were first written.
  return namesLocked("SELECT name FROM vals WHERE key = ?1 ORDER BY id", key);
}

RegistryValue<bool> RegistryStore::hasSubkeys(const KeyRef& key) {
  auto names = subkeyNames(key);
  if (!names) return RegistryResult(names);
  return !names.value().empty();
}

RegistryValue<RegistryStore::StoredValue> RegistryStore::readValue(const KeyRef& key, const std::string& name) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (auto u = usable(false); !u) return u;
  auto absent = [&] { return notFound("value \"" + name + "\" does not exist in " + displayPath(key.path)); };
  if (empty_) return absent();
  Statement read(*this, "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2");
  read.bind(1, key.id).bindText(2, registry::foldCase(name));
  int rc = read.step();
  if (rc == SQLITE_ROW) return StoredValue{static_cast<RegistryType>(read.integer(0)), read.bytes(1)};
  if (rc != SQLITE_DONE) return sqliteFailure();
  RegistryResult error;
  if (!aliveLocked(key.id, error)) return error;
  return absent();
}

RegistryResult RegistryStore::writeValue(const KeyRef& key, const std::string& name, RegistryType type,
                                         const void* data, std::size_t size) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (auto u = usable(true); !u) return u;
  // One statement, so one transaction: the key's existence and the write are atomic.
  // An existing value keeps its name's case and its place in the enumeration.
  Statement write(*this,
                  "INSERT INTO vals(key, name, fold, type, data) SELECT ?1, ?2, ?3, ?4, ?5 "
                  "WHERE EXISTS (SELECT 1 FROM keys WHERE id = ?1) "
                  "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
  write.bind(1, key.id)
      .bindText(2, name)
      .bindText(3, registry::foldCase(name))
      .bind(4, static_cast<std::int64_t>(type))
      .bindBlob(5, data, size);
  if (write.step() != SQLITE_DONE) return sqliteFailure();
  if (sqlite3_changes(db_) == 0) return notFound("the key " + displayPath(key.path) + " was deleted");
  return {};
}

RegistryResult RegistryStore::removeValue(const KeyRef& key, const std::string& name) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (auto u = usable(true); !u) return u;
  Statement remove(*this, "DELETE FROM vals WHERE key = ?1 AND fold = ?2");
  remove.bind(1, key.id).bindText(2, registry::foldCase(name));
  if (remove.step() != SQLITE_DONE) return sqliteFailure();
  if (sqlite3_changes(db_) > 0) return {};
  RegistryResult error;
  if (!aliveLocked(key.id, error)) return error;
  return notFound("value \"" + name + "\" does not exist in " + displayPath(key.path));
}

RegistryResult RegistryStore::beginBatch() {
  mutex_.lock();
  RegistryResult result = usable(true);
  if (result && batchOpen_)
    result = {RegistryStatus::InvalidArgument, "a transaction is already open on " + path_ + " in this thread"};
  if (result && sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) result = sqliteFailure();
  if (!result) {
    mutex_.unlock();
    return result;
  }
  batchOpen_ = true;  // the lock stays taken until commit or rollback
  return {};
}

RegistryResult RegistryStore::commitBatch() {
  if (!batchOpen_) return {RegistryStatus::InvalidArgument, "no transaction is open"};
  RegistryResult result;
  if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    result = sqliteFailure("commit");
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  batchOpen_ = false;
  mutex_.unlock();
  return result;
}

void RegistryStore::rollbackBatch() {
  if (!batchOpen_) return;
  sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  batchOpen_ = false;
  mutex_.unlock();
}

}  // namespace platform
