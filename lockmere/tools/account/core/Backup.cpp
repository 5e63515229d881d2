#include "lockmere/tools/account/core/Backup.h"

#include <openssl/evp.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/DataFileHeader.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/tools/account/core/FileBytes.h"
#include "platform/AtomicFile.h"
#include "platform/RegistryNames.h"

namespace account {
namespace {

constexpr std::size_t kMagicSize = sizeof kBackupMagic - 1;
constexpr std::size_t kDigestSize = 32;

std::string sha256(std::string_view bytes) {
  unsigned char digest[kDigestSize];
  unsigned int size = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr);
  return std::string(reinterpret_cast<const char*>(digest), kDigestSize);
}

void putU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i));
}
void putU64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>(v >> (8 * i));
}
void putBytes32(std::string& out, std::string_view bytes) {
  putU32(out, static_cast<std::uint32_t>(bytes.size()));
  out.append(bytes);
}

// Reads what encodeBackup wrote; every length is checked against what is left.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool u32(std::uint32_t& v) { return number(v, 4); }
  bool u64(std::uint64_t& v) { return number(v, 8); }
  bool bytes(std::string& out, std::uint64_t size) {
    if (size > bytes_.size() - at_) return false;
    out.assign(bytes_.substr(at_, static_cast<std::size_t>(size)));
    at_ += static_cast<std::size_t>(size);
    return true;
  }
  bool bytes32(std::string& out) {
    std::uint32_t size = 0;
    return u32(size) && bytes(out, size);
  }
  bool atEnd() const { return at_ == bytes_.size(); }

 private:
  template <class T>
  bool number(T& v, std::size_t size) {
    if (size > bytes_.size() - at_) return false;
    v = 0;
    for (std::size_t i = 0; i < size; ++i) v |= static_cast<T>(static_cast<unsigned char>(bytes_[at_ + i])) << (8 * i);
    at_ += size;
    return true;
  }
  std::string_view bytes_;
  std::size_t at_ = 0;
};

Failure damaged(std::string why) { return Failure(Problem::BackupDamaged, std::move(why)); }

}  // namespace

const BackupValue* BackupContents::value(std::string_view name) const {
  const std::string folded = platform::registry::foldCase(name);
  for (const BackupValue& v : values)
    if (platform::registry::foldCase(v.name) == folded) return &v;
  return nullptr;
}

Outcome<BackupContents> collectBackup(const AccountRegistry& accounts, std::string_view id) {
  auto account = accounts.read(id);
  if (!account) return account.failure();
  BackupContents contents;
  contents.id = account->id;
  contents.made =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  auto key = accounts.registry().openKey(userKeyPath(account->id));
  if (!key) return Failure(Problem::RegistryFailed, key.errorString());
  auto names = key.value().valueNames();
  if (!names) return Failure(Problem::RegistryFailed, names.errorString());
  for (const std::string& name : names.value()) {
    if (platform::registry::foldCase(name) == platform::registry::foldCase(kDataFileValue)) continue;
    BackupValue v;
    v.name = name;
    v.type = key.value().valueType(name).valueOr(platform::RegistryType::None);
    if (v.type == platform::RegistryType::String) {
      auto s = key.value().readString(name);
      if (!s) return Failure(Problem::RegistryFailed, s.errorString());
      v.data.assign(s.value().begin(), s.value().end());
    } else if (v.type == platform::RegistryType::Integer) {
      auto n = key.value().readInteger(name);
      if (!n) return Failure(Problem::RegistryFailed, n.errorString());
      for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<std::uint8_t>(std::uint32_t(n.value()) >> (8 * i)));
    } else if (v.type == platform::RegistryType::Binary) {
      auto b = key.value().readBinary(name);
      if (!b) return Failure(Problem::RegistryFailed, b.errorString());
      v.data = b.value();
    } else {
      continue;
    }
    contents.values.push_back(std::move(v));
  }
  if (!readWholeFile(account->dataFile, contents.dataFile)) return Failure(Problem::DataFileMissing, account->dataFile);
  const auto* file = reinterpret_cast<const unsigned char*>(contents.dataFile.data());
  std::string why;
  if (!store::DataFileHeader::parse(file, contents.dataFile.size(), contents.dataFile.size(), &why))
    return Failure(Problem::DataFileDamaged, why);
  return contents;
}

std::string encodeBackup(const BackupContents& contents) {
  std::string out(kBackupMagic, kMagicSize);
  putU32(out, kBackupFormat);
  putU64(out, static_cast<std::uint64_t>(contents.made));
  putBytes32(out, contents.id);
  putU32(out, static_cast<std::uint32_t>(contents.values.size()));
  for (const BackupValue& v : contents.values) {
    putBytes32(out, v.name);
    putU32(out, static_cast<std::uint32_t>(v.type));
    putBytes32(out, std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size()));
  }
  putU64(out, contents.dataFile.size());
  out.append(contents.dataFile);
  out.append(sha256(out));
  return out;
}

Outcome<BackupContents> decodeBackup(std::string_view bytes) {
  if (bytes.size() < kMagicSize || bytes.substr(0, kMagicSize) != std::string_view(kBackupMagic, kMagicSize))
    return Failure(Problem::BackupForeign);
  Reader head(bytes.substr(kMagicSize));
  std::uint32_t format = 0;
  if (!head.u32(format)) return damaged("cut short");
  if (format > kBackupFormat) return Failure(Problem::BackupNewerFormat, "format " + std::to_string(format));
  if (format == 0 || bytes.size() < kMagicSize + 4 + kDigestSize) return damaged("cut short");
  const std::string_view body = bytes.substr(0, bytes.size() - kDigestSize);
  if (sha256(body) != bytes.substr(body.size())) return damaged("the check sum does not match");

  Reader in(body.substr(kMagicSize + 4));
  BackupContents contents;
  std::uint64_t made = 0, fileSize = 0;
  std::uint32_t count = 0;
  if (!in.u64(made) || !in.bytes32(contents.id) || !in.u32(count)) return damaged("cut short");
  contents.made = static_cast<std::int64_t>(made);
  for (std::uint32_t i = 0; i < count; ++i) {
    BackupValue v;
    std::uint32_t type = 0;
    std::string data;
    if (!in.bytes32(v.name) || !in.u32(type) || !in.bytes32(data)) return damaged("cut short");
    v.type = static_cast<platform::RegistryType>(type);
    v.data.assign(data.begin(), data.end());
    contents.values.push_back(std::move(v));
  }
  if (!in.u64(fileSize) || !in.bytes(contents.dataFile, fileSize) || !in.atEnd())
    return damaged("lengths do not add up");

  if (!store::keys::idBytes(contents.id)) return damaged("no valid user ID");
  for (const char* name : {kKey1Value, kKey2Value}) {
    const BackupValue* v = contents.value(name);
    if (!v || v->type != platform::RegistryType::Binary || v->data.size() != store::keys::kBlockSize)
      return damaged(std::string("no ") + name);
  }
  const auto* file = reinterpret_cast<const unsigned char*>(contents.dataFile.data());
  std::string why;
  if (!store::DataFileHeader::parse(file, contents.dataFile.size(), contents.dataFile.size(), &why))
    return damaged("the data file in it: " + why);
  return contents;
}

Failure writeBackupFile(const std::string& path, const BackupContents& contents) {
  std::string bytes = encodeBackup(contents);
  std::string why;
  const bool written = platform::AtomicFile::writeFile(path, bytes, 0600, &why);
  crypto::wipe(bytes);
  if (!written) return Failure(Problem::FileNotWritten, why);
  // What is on disk is what a restore will meet.
  if (auto back = readBackupFile(path); !back) return Failure(Problem::FileNotWritten, describe(back.failure()));
  return {};
}

Outcome<BackupContents> readBackupFile(const std::string& path) {
  std::string bytes;
  std::string why;
  if (!readWholeFile(path, bytes, &why)) return Failure(Problem::FileUnreadable, why);
  auto contents = decodeBackup(bytes);
  crypto::wipe(bytes);
  return contents;
}

}  // namespace account
