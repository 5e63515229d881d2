#include "lockmere/store/UserDirectory.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "lockmere/store/AutoLoginBlock.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/store/RegistryLayout.h"
#include "lockmere/store/TextCodec.h"

namespace store {
namespace {

void setError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

std::optional<DataFileHeader> headerOf(const std::string& dataFile) {
  if (dataFile.empty()) return std::nullopt;
  return DataFile(dataFile).readHeader();
}

}  // namespace

UserDirectory::UserDirectory(platform::Registry registry, crypto::SecureBytes programKey)
    : registry_(std::move(registry)), programKey_(std::move(programKey)) {}

std::vector<std::string> UserDirectory::userIds() {
  auto users = registry_.createKey(reg::kUsersKey);
  if (!users) return {};
  return users.value().subkeyNames().valueOr({});
}

std::string UserDirectory::lastLoginId() const {
  auto main = registry_.openKey(reg::kMainKey);
  return main ? main.value().readString(reg::kLastLoginID).valueOr({}) : std::string();
}

bool UserDirectory::autoLogin() const {
  auto main = registry_.openKey(reg::kMainKey);
  return main && main.value().readBool(reg::kAutoLogin).valueOr(false);
}

std::optional<platform::RegistryKey> UserDirectory::openUser(std::string_view userId) const {
  // An empty ID would name the users key itself.
  if (userId.empty() || userId.find('\\') != std::string_view::npos) return std::nullopt;
  auto key = registry_.openKey(reg::userKeyPath(userId));
  if (!key) return std::nullopt;
  return key.value();
}

bool UserDirectory::exists(std::string_view userId) const { return openUser(userId).has_value(); }

std::string UserDirectory::dataFile(std::string_view userId) const {
  auto key = openUser(userId);
  return key ? key->readString(reg::kDataFile).valueOr({}) : std::string();
}

TemplateRecords UserDirectory::loadAllRecords() {
  std::vector<UserFile> files;
  for (const std::string& id : userIds())
    if (auto file = dataFile(id); !file.empty()) files.push_back({id, file});
  TemplateRecords all = loadAllTemplateRecords(files, programKey_);
  all.trimOwnerFields();
  return all;
}

UserDirectory::PasswordLogin UserDirectory::loginByPassword(std::string_view userId, std::string_view password) const {
  PasswordLogin login;
  auto key = openUser(userId);
  if (!key) {
    login.result = PasswordResult::NoSuchUser;
    return login;
  }
  const auto key1 = key->readBinary(reg::kKey1);
  const auto header = headerOf(key->readString(reg::kDataFile).valueOr({}));
  if (!key1 || !header) return login;
  auto dataKey =
      keys::unwrapByPassword(userId, password, key1.value().data(), key1.value().size(), *header, programKey_);
  if (!dataKey) return login;
  login.result = PasswordResult::Accepted;
  login.dataKey = std::move(*dataKey);
  return login;
}

std::optional<bool> UserDirectory::confirmPassword(std::string_view userId, std::string_view password) const {
  auto key = openUser(userId);
  if (!key) return std::nullopt;
  const auto key1 = key->readBinary(reg::kKey1);
  if (!key1) return false;
  return keys::openKey1(userId, password, key1.value().data(), key1.value().size(), programKey_).has_value();
}

std::optional<UserDirectory::FingerprintLogin> UserDirectory::loginByFingerprint(const TemplateRecords& allUsers,
                                                                                 std::size_t index) const {
  const auto owner = keys::fingerprintOwner(allUsers, index);
  if (!owner) return std::nullopt;
  auto key = openUser(*owner);
  if (!key) return std::nullopt;
  const auto key2 = key->readBinary(reg::kKey2);
  const auto header = headerOf(key->readString(reg::kDataFile).valueOr({}));
  if (!key2 || !header) return std::nullopt;
  auto dataKey =
      keys::unwrapByFingerprint(allUsers, index, key2.value().data(), key2.value().size(), *header, programKey_);
  if (!dataKey) return std::nullopt;
  return FingerprintLogin{*owner, std::move(*dataKey), recordsSharingOwner(allUsers, index)};
}

bool UserDirectory::writeAutoLogin(std::string_view userId, const crypto::SecureBytes& dataKey, bool enabled,
                                   std::string* error) {
  auto main = registry_.createKey(reg::kMainKey);
  if (!main) {
    setError(error, main.errorString());
    return false;
  }
  std::optional<autologin::Block> block;
  if (enabled) {
    block = autologin::make(userId, dataKey, programKey_);
    if (!block) {
      setError(error, "no automatic-login block can be made for this user ID");
      return false;
    }
  }
  if (auto r = main.value().writeBool(reg::kAutoLogin, enabled); !r) {
    setError(error, r.errorString());
    return false;
  }
  platform::RegistryResult r;
  if (block) {
    r = main.value().writeBinary(reg::kALData, block->data(), block->size());
    crypto::wipe(block->data(), block->size());
  } else {
    r = main.value().deleteValue(reg::kALData);
    if (r.isNotFound()) r = {};
  }
  if (!r) setError(error, r.errorString());
  return r.ok();
}

UserDirectory::DeleteResult UserDirectory::deleteUser(std::string_view userId, std::string* error) {
  const std::string file = dataFile(userId);
  auto users = registry_.openKey(reg::kUsersKey);
  if (!users || userId.empty() || userId.find('\\') != std::string_view::npos) {
    setError(error, users ? "not a user ID" : users.errorString());
    return DeleteResult::Failed;
  }
  if (auto r = users.value().deleteKey(userId); !r) {
    setError(error, r.errorString());
    return DeleteResult::Failed;
  }
  std::error_code ec;
  if (!file.empty() && std::filesystem::remove(file, ec)) return DeleteResult::Deleted;
  setError(error, ec ? ec.message() : "the data file does not exist");
  return DeleteResult::KeyOnly;
}

TemplateRecords recordsOwnedBy(const TemplateRecords& allUsers, std::string_view userId) {
  TemplateRecords out;
  const auto id = keys::idBytes(userId);
  if (!id) return out;
  for (std::size_t i = 0; i < allUsers.count(); ++i) {
    const std::string field = allUsers.ownerField(i);
    if (text::trimmed(field) == *id) out.appendRecord(allUsers.record(i));
  }
  return out;
}

TemplateRecords recordsSharingOwner(const TemplateRecords& allUsers, std::size_t index) {
  TemplateRecords out;
  if (index >= allUsers.count()) return out;
  const unsigned char* owner = allUsers.record(index);
  for (std::size_t i = 0; i < allUsers.count(); ++i)
    if (std::memcmp(allUsers.record(i), owner, TemplateRecords::kOwnerSize) == 0) out.appendRecord(allUsers.record(i));
  return out;
}

}  // namespace store
