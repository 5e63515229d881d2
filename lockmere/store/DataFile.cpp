#include "lockmere/store/DataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "lockmere/crypto/CryptoError.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/store/StoreCipher.h"
#include "lockmere/store/StoreStream.h"
#include "lockmere/store/StreamError.h"
#include "platform/AtomicFile.h"

namespace store {
namespace {

void setError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

// Reads a whole file, or its first limit bytes.
bool readFile(const std::string& path, std::string& out, std::string* error, std::uint64_t limit = UINT64_MAX) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    setError(error, "cannot open the data file " + path + ": " + std::strerror(errno));
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    setError(error, "cannot read the data file " + path + ": " + std::strerror(errno));
    ::close(fd);
    return false;
  }
  const std::uint64_t want = std::min<std::uint64_t>(static_cast<std::uint64_t>(st.st_size), limit);
  out.resize(static_cast<std::size_t>(want));
  std::size_t got = 0;
  while (got < out.size()) {
    const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      setError(error, "short read from the data file " + path);
      ::close(fd);
      return false;
    }
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return true;
}

const unsigned char* bytesOf(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }

// Pieces of the stream on their way from the thread that writes it to the one
// that encrypts it. Buffers go back and forth, so that a save allocates only a
// few of them; at most kMostQueued wait at a time.
class PieceQueue {
 public:
  struct Stopped {};

  // The writer's side: hands over a full piece, gets an empty buffer in its
  // place. Raises Stopped once the reader has given up.
  void put(crypto::SecureBytes& piece) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || full_.size() < kMostQueued; });
    if (stopped_) throw Stopped{};
    full_.push_back(std::move(piece));
    piece = empty_.empty() ? crypto::SecureBytes() : std::move(empty_.back());
    if (!empty_.empty()) empty_.pop_back();
    piece.clear();
    changed_.notify_all();
  }
  // No more pieces; failure is what stopped the writer, if anything did.
  void close(std::exception_ptr failure) {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    failure_ = std::move(failure);
    changed_.notify_all();
  }

  // The reader's side: the next piece in place of the one it is done with.
  // False once the writer has closed with nothing left, or failed.
  bool take(crypto::SecureBytes& piece) {
    std::unique_lock lock(mutex_);
    if (piece.capacity()) empty_.push_back(std::move(piece));
    changed_.wait(lock, [&] { return closed_ || !full_.empty(); });
    if (failure_ || full_.empty()) return false;
    piece = std::move(full_.front());
    full_.pop_front();
    changed_.notify_all();
    return true;
  }
  void stop() {
    const std::lock_guard lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }
  std::exception_ptr failure() {
    const std::lock_guard lock(mutex_);
    return failure_;
  }

 private:
  static constexpr std::size_t kMostQueued = 4;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<crypto::SecureBytes> full_;
  std::vector<crypto::SecureBytes> empty_;
  bool closed_ = false;
  bool stopped_ = false;
  std::exception_ptr failure_;
};

// Encrypts the lists' stream onto the end of file. A second thread writes the
// stream while this one encrypts and writes out what is ready: CBC encryption
// is one chain and the slowest step, so the rest hides behind it. False when
// the file refuses a write; raises what the stream and the cipher raise.
bool writeEncryptedStore(platform::AtomicFile& file, const crypto::SecureBytes& dataKey, const TLMCateList& cates,
                         const TRegSiteList& sites) {
  constexpr std::size_t kPieceSize = 256 * 1024;
  storecipher::Encryptor encryptor(dataKey);
  PieceQueue queue;
  std::thread writer([&] {
    try {
      stream::write(cates, sites, kPieceSize, [&](crypto::SecureBytes& piece) { queue.put(piece); });
      queue.close(nullptr);
    } catch (...) {
      queue.close(std::current_exception());
    }
  });
  // However this function ends, the writer is released and waited for.
  struct Join {
    PieceQueue& queue;
    std::thread& writer;
    ~Join() {
      queue.stop();
      writer.join();
    }
  } join{queue, writer};
  std::vector<unsigned char> encrypted;
  encrypted.reserve(kPieceSize + 2 * storecipher::kBlock);
  crypto::SecureBytes piece;
  while (queue.take(piece)) {
    encrypted.clear();
    encryptor.update(piece.data(), piece.size(), encrypted);
    if (!file.write(encrypted.data(), encrypted.size())) return false;
  }
  if (const auto failure = queue.failure()) std::rethrow_exception(failure);
  encrypted.clear();
  encryptor.finish(encrypted);
  return file.write(encrypted.data(), encrypted.size());
}

StoreLoad failed(std::string why) {
  StoreLoad load;
  load.result = StoreLoad::Failed;
  load.error = std::move(why);
  return load;
}

}  // namespace

bool DataFile::exists() const {
  struct stat st {};
  return ::stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<DataFileHeader> DataFile::readHeader(std::string* error) const {
  const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    setError(error, "cannot open the data file " + path_ + ": " + std::strerror(errno));
    return std::nullopt;
  }
  struct stat st {};
  unsigned char head[DataFileHeader::kSize];
  ssize_t n = -1;
  if (::fstat(fd, &st) == 0) {
    do n = ::pread(fd, head, sizeof head, 0);
    while (n < 0 && errno == EINTR);
  }
  ::close(fd);
  if (n < 0) {
    setError(error, "cannot read the data file " + path_);
    return std::nullopt;
  }
  return DataFileHeader::parse(head, static_cast<std::size_t>(n), static_cast<std::uint64_t>(st.st_size), error);
}

StoreLoad DataFile::loadStoreFromBytes(std::string_view file, const crypto::SecureBytes& dataKey) {
  std::string why;
  const auto header = DataFileHeader::parse(bytesOf(file), file.size(), file.size(), &why);
  if (!header) return failed(why);
  const auto offset = static_cast<std::size_t>(header->storeOffset());
  if (offset == file.size()) {
    StoreLoad load;
    load.result = StoreLoad::NoStore;
    load.cates = std::make_unique<TLMCateList>();
    load.sites = std::make_unique<TRegSiteList>();
    return load;
  }
  if (dataKey.size() != 56) return failed("no data key");
  crypto::SecureBytes stream;
  if (!storecipher::decrypt(bytesOf(file) + offset, file.size() - offset, dataKey, stream, why)) return failed(why);
  try {
    stream::Lists lists = stream::read(stream.data(), stream.size());
    StoreLoad load;
    load.result = StoreLoad::Loaded;
    load.cates = std::move(lists.cates);
    load.sites = std::move(lists.sites);
    return load;
  } catch (const StreamError& e) {
    return failed(std::string("the store does not parse: ") + e.what());
  }
}

StoreLoad DataFile::loadStore(const crypto::SecureBytes& dataKey) const {
  std::string file, why;
  if (!readFile(path_, file, &why)) return failed(why);
  StoreLoad load = loadStoreFromBytes(file, dataKey);
  crypto::wipe(file.data(), file.size());
  return load;
}

bool DataFile::saveStore(const crypto::SecureBytes& dataKey, const TLMCateList& cates, const TRegSiteList& sites,
                         std::string* error) const {
  if (!exists()) {
    setError(error, "the data file " + path_ + " does not exist");
    return false;
  }
  if (dataKey.size() != 56) {
    setError(error, "no data key");
    return false;
  }
  const auto header = readHeader(error);
  if (!header) return false;
  // Header and records stay as they are; only what follows them is new.
  std::string head;
  if (!readFile(path_, head, error, header->storeOffset())) return false;
  if (head.size() != header->storeOffset()) {
    setError(error, "short read from the data file " + path_);
    return false;
  }
  // Until commit() the old file stays as it is; any failure removes the new one.
  platform::AtomicFile out(path_, 0600);
  bool written = out.open() && out.write(head);
  try {
    written = written && writeEncryptedStore(out, dataKey, cates, sites);
  } catch (const std::exception& e) {
    setError(error, std::string("cannot write the store: ") + e.what());
    return false;
  }
  if (!written || !out.commit()) {
    setError(error, out.error());
    return false;
  }
  return true;
}

std::optional<TemplateRecords> DataFile::templateRecordsFromBytes(std::string_view file,
                                                                  const crypto::SecureBytes& programKey,
                                                                  std::string* error) {
  const auto header = DataFileHeader::parse(bytesOf(file), file.size(), file.size(), error);
  if (!header) return std::nullopt;
  return TemplateRecords::decrypt(*header, bytesOf(file) + DataFileHeader::kSize, programKey);
}

std::optional<TemplateRecords> DataFile::loadTemplateRecords(const crypto::SecureBytes& programKey,
                                                             std::string* error) const {
  const auto header = readHeader(error);
  if (!header) return std::nullopt;
  std::string head;
  if (!readFile(path_, head, error, header->storeOffset())) return std::nullopt;
  auto records = templateRecordsFromBytes(head, programKey, error);
  crypto::wipe(head.data(), head.size());
  return records;
}

bool DataFile::create(const std::string& path, std::string_view userId, const crypto::SecureBytes& dataKey,
                      const TemplateRecords& records, const crypto::SecureBytes& programKey, std::int32_t recordSize,
                      std::string* error) {
  const auto check = keys::makeCheckBlock(userId, dataKey);
  if (!check) {
    setError(error, "the user ID or the data key is not valid");
    return false;
  }
  if (recordSize < DataFileHeader::kMinRecordSize || recordSize % 8) {
    setError(error, "not a template record size");
    return false;
  }
  const auto header = DataFileHeader::make(check->data(), recordSize, static_cast<std::int32_t>(records.count()));
  platform::AtomicFile out(path, 0600);
  bool ok = out.open() && out.write(header.bytes().data(), header.bytes().size());
  for (std::size_t i = 0; ok && i < records.count(); ++i) {
    const auto encrypted =
        TemplateRecords::encryptRecord(records.record(i), static_cast<std::size_t>(recordSize), programKey);
    ok = out.write(encrypted.data(), encrypted.size());
  }
  ok = ok && out.commit();
  if (!ok) setError(error, out.error());
  return ok;
}

TemplateRecords loadAllTemplateRecords(const std::vector<UserFile>& users, const crypto::SecureBytes& programKey) {
  TemplateRecords all;
  for (const UserFile& user : users) {
    const auto records = DataFile(user.dataFile).loadTemplateRecords(programKey);
    if (records) all.append(*records);
  }
  return all;
}

}  // namespace store
