#include "lockmere/store/DataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "lockmere/crypto/CryptoError.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/store/StoreCipher.h"
#include "lockmere/store/StoreStream.h"
#include "lockmere/store/StoreWriter.h"
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
