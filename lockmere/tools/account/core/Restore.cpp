#include "lockmere/tools/account/core/Restore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "lockmere/store/DataFileHeader.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/tools/account/core/AccountCreation.h"
#include "lockmere/tools/account/core/FileBytes.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/RegistryNames.h"
#include "platform/RegistryTransaction.h"

namespace account {
namespace {

bool folderExists(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return false;
  struct stat st {};
  return ::stat(path.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

platform::RegistryResult writeValue(platform::RegistryKey& key, const BackupValue& v) {
  const std::string_view bytes(reinterpret_cast<const char*>(v.data.data()), v.data.size());
  switch (v.type) {
    case platform::RegistryType::String:
      return key.writeString(v.name, bytes);
    case platform::RegistryType::Integer: {
      if (v.data.size() != 4) return {platform::RegistryStatus::InvalidArgument, "an integer of " + v.name};
      std::uint32_t n = 0;
      for (int i = 0; i < 4; ++i) n |= std::uint32_t(v.data[std::size_t(i)]) << (8 * i);
      return key.writeInteger(v.name, static_cast<std::int32_t>(n));
    }
    case platform::RegistryType::Binary:
      return key.writeBinary(v.name, v.data.data(), v.data.size());
    default:
      return {};  // a type this program does not write: left out
  }
}

}  // namespace

std::optional<std::string> existingUser(const AccountRegistry& accounts, const BackupContents& backup) {
  return accounts.find(backup.id);
}

Outcome<RestoreDone> restoreAccount(AccountRegistry& accounts, const BackupContents& backup,
                                    const RestoreRequest& request, const crypto::SecureBytes& programKey) {
  const auto* fileBytes = reinterpret_cast<const unsigned char*>(backup.dataFile.data());
  const auto header = store::DataFileHeader::parse(fileBytes, backup.dataFile.size(), backup.dataFile.size());
  if (!header) return Failure(Problem::BackupDamaged);
  const BackupValue* key1 = backup.value(kKey1Value);
  if (!key1) return Failure(Problem::BackupDamaged);
  const auto dataKey = store::keys::unwrapByPassword(backup.id, request.backupPassword, key1->data.data(),
                                                     key1->data.size(), *header, programKey);
  if (!dataKey) return Failure(Problem::WrongPassword, "the password of the account in the backup");

  RestoreDone done;
  done.id = backup.id;
  const auto existing = existingUser(accounts, backup);
  std::string path;
  if (existing) {
    if (!request.currentPassword) return Failure(Problem::ReplaceNotConfirmed, *existing);
    // Key1 alone confirms it: the existing user's data file may be what is broken.
    auto key = accounts.registry().openKey(userKeyPath(*existing));
    std::optional<crypto::SecureBytes> currentKey;
    if (key)
      if (auto current = key.value().readBinary(kKey1Value))
        currentKey = store::keys::openKey1(*existing, *request.currentPassword, current.value().data(),
                                           current.value().size(), programKey);
    if (!currentKey) return Failure(Problem::WrongPassword, "the current password of " + *existing);
    const bool loggedIn = !request.loggedInId.empty() &&
                          platform::registry::foldCase(request.loggedInId) == platform::registry::foldCase(*existing);
    if (loggedIn && *currentKey != *dataKey) return Failure(Problem::BackupOfOtherAccount, *existing);
    done.replaced = true;
    done.loggedInStoreRestored = loggedIn;
    if (key) path = key.value().readString(kDataFileValue).valueOr("");
  }
  if (path.empty() || !folderExists(path)) {
    const std::string folder = platform::paths::dataDir();
    if (!platform::paths::makeDirs(folder, 0700))
      return Failure(Problem::DataFolderUnusable, folder + ": " + std::strerror(errno));
    do path = newDataFilePath(backup.id);
    while (::access(path.c_str(), F_OK) == 0);
  }
  done.dataFile = path;

  std::string old;
  const bool hadFile = readWholeFile(path, old);
  platform::AtomicFile file(path, 0600);
  if (!file.open() || !file.write(backup.dataFile)) return Failure(Problem::DataFileNotWritten, file.error());

  platform::Registry& registry = accounts.registry();
  platform::RegistryTransaction transaction(registry);
  if (!transaction.isActive()) return Failure(Problem::RegistryFailed, transaction.result().errorString());
  if (existing)
    if (auto r = registry.deleteKey(userKeyPath(*existing)); !r)
      return Failure(Problem::RegistryFailed, r.errorString());
  auto key = registry.createKey(userKeyPath(backup.id));
  if (!key) return Failure(Problem::RegistryFailed, key.errorString());
  for (const BackupValue& v : backup.values)
    if (auto r = writeValue(key.value(), v); !r) return Failure(Problem::RegistryFailed, r.errorString());
  if (auto r = key.value().writeString(kDataFileValue, path); !r)
    return Failure(Problem::RegistryFailed, r.errorString());

  if (!file.commit()) return Failure(Problem::DataFileNotWritten, file.error());
  if (auto r = transaction.commit(); !r) {
    if (hadFile)
      platform::AtomicFile::writeFile(path, old, 0600);
    else
      ::unlink(path.c_str());
    crypto::wipe(old);
    return Failure(Problem::RegistryFailed, r.errorString());
  }
  crypto::wipe(old);
  return done;
}

}  // namespace account
