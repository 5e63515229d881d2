#include "lockmere/tools/account/core/AccountRegistry.h"

#include "lockmere/store/KeyBlocks.h"
#include "platform/RegistryNames.h"

namespace account {

std::string userKeyPath(std::string_view id) { return std::string(kUsersKey) + "\\" + std::string(id); }

Outcome<std::vector<std::string>> AccountRegistry::ids() const {
  auto users = registry_.openKey(kUsersKey);
  if (users.isNotFound()) return std::vector<std::string>{};
  if (!users) return Failure(Problem::RegistryFailed, users.errorString());
  auto names = users.value().subkeyNames();
  if (!names) return Failure(Problem::RegistryFailed, names.errorString());
  return names.value();
}

std::optional<std::string> AccountRegistry::find(std::string_view id) const {
  // An ID that cannot be a key name (empty, a backslash) names no user.
  if (id.empty() || id.find('\\') != std::string_view::npos || !platform::registry::isValidUtf8(id))
    return std::nullopt;
  auto key = registry_.openKey(userKeyPath(id));
  if (!key) return std::nullopt;
  return key.value().name();
}

Outcome<AccountValues> AccountRegistry::read(std::string_view id) const {
  const auto stored = find(id);
  if (!stored) return Failure(Problem::NoSuchUser, std::string(id));
  auto key = registry_.openKey(userKeyPath(*stored));
  if (!key) return Failure(key.isNotFound() ? Problem::NoSuchUser : Problem::RegistryFailed, key.errorString());
  AccountValues values;
  values.id = *stored;
  auto dataFile = key.value().readString(kDataFileValue);
  auto key1 = key.value().readBinary(kKey1Value);
  auto key2 = key.value().readBinary(kKey2Value);
  for (const platform::RegistryResult* r :
       {static_cast<const platform::RegistryResult*>(&dataFile), static_cast<const platform::RegistryResult*>(&key1),
        static_cast<const platform::RegistryResult*>(&key2)})
    if (!*r && r->status() == platform::RegistryStatus::Failed)
      return Failure(Problem::RegistryFailed, r->errorString());
  if (!dataFile || dataFile.value().empty()) return Failure(Problem::AccountIncomplete, "no DataFile");
  if (!key1 || key1.value().size() != store::keys::kBlockSize) return Failure(Problem::AccountIncomplete, "no Key1");
  if (!key2 || key2.value().size() != store::keys::kBlockSize) return Failure(Problem::AccountIncomplete, "no Key2");
  values.dataFile = dataFile.value();
  values.key1 = key1.value();
  values.key2 = key2.value();
  return values;
}

std::vector<store::UserFile> AccountRegistry::userFiles(std::string_view except) const {
  std::vector<store::UserFile> files;
  const auto ids = this->ids();
  if (!ids) return files;
  const std::string skip = except.empty() ? std::string() : platform::registry::foldCase(except);
  for (const std::string& id : ids.value()) {
    if (!skip.empty() && platform::registry::foldCase(id) == skip) continue;
    auto key = registry_.openKey(userKeyPath(id));
    if (!key) continue;
    auto path = key.value().readString(kDataFileValue);
    if (path && !path.value().empty()) files.push_back({id, path.value()});
  }
  return files;
}

}  // namespace account
