#include "lockmere/tools/account/core/AccountChanges.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "lockmere/store/KeyBlocks.h"
#include "lockmere/tools/account/core/AccountCreation.h"
#include "lockmere/tools/account/core/Credentials.h"
#include "lockmere/tools/account/core/FileBytes.h"
#include "platform/AtomicFile.h"
#include "platform/RegistryTransaction.h"

namespace account {
namespace {}  // namespace

Failure changePassword(AccountRegistry& accounts, const UnlockedAccount& account, std::string_view newPassword,
                       const crypto::SecureBytes& programKey) {
  if (const Problem p = checkNewPassword(newPassword); p != Problem::None) return Failure(p);
  const auto key1 = store::keys::makeKey1(account.id, newPassword, account.dataKey, programKey);
  if (!key1) return Failure(Problem::PasswordNotCodePage);
  auto key = accounts.registry().openKey(userKeyPath(account.id));
  if (!key) return Failure(key.isNotFound() ? Problem::NoSuchUser : Problem::RegistryFailed, key.errorString());
  if (auto r = key.value().writeBinary(kKey1Value, key1->data(), key1->size()); !r)
    return Failure(Problem::RegistryFailed, r.errorString());
  return {};
}

std::optional<std::string> withRecords(std::string_view file, const store::TemplateRecords& records,
                                       const crypto::SecureBytes& programKey) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
  const auto header = store::DataFileHeader::parse(bytes, file.size(), file.size());
  if (!header) return std::nullopt;
  const auto recordSize = header->recordSize();
  const auto fresh =
      store::DataFileHeader::make(header->checkBlock(), recordSize, static_cast<std::int32_t>(records.count()));
  std::string out(reinterpret_cast<const char*>(fresh.bytes().data()), fresh.bytes().size());
  for (std::size_t i = 0; i < records.count(); ++i) {
    const auto encrypted =
        store::TemplateRecords::encryptRecord(records.record(i), static_cast<std::size_t>(recordSize), programKey);
    out.append(reinterpret_cast<const char*>(encrypted.data()), encrypted.size());
  }
  out.append(file.substr(static_cast<std::size_t>(header->storeOffset())));
  return out;
}

Failure replaceFingerprints(AccountRegistry& accounts, const UnlockedAccount& account,
                            const std::vector<tagENROLL>& fingers, const crypto::SecureBytes& programKey) {
  if (fingers.empty()) return Failure(Problem::NoFingers);
  const auto records = makeRecords(account.id, fingers);
  if (!records) return Failure(Problem::IdNotCodePage);
  const auto key2 = store::keys::makeKey2(account.id, *records, account.dataKey, programKey);
  if (!key2) return Failure(Problem::IdNotCodePage);

  std::string old;
  if (!readWholeFile(account.dataFile, old)) return Failure(Problem::DataFileMissing, account.dataFile);
  const auto replaced = withRecords(old, *records, programKey);
  if (!replaced) return Failure(Problem::DataFileDamaged, account.dataFile);

  platform::AtomicFile file(account.dataFile, 0600);
  if (!file.open() || !file.write(*replaced)) return Failure(Problem::DataFileNotWritten, file.error());

  platform::Registry& registry = accounts.registry();
  platform::RegistryTransaction transaction(registry);
  if (!transaction.isActive()) return Failure(Problem::RegistryFailed, transaction.result().errorString());
  auto key = registry.openKey(userKeyPath(account.id));
  if (!key) return Failure(key.isNotFound() ? Problem::NoSuchUser : Problem::RegistryFailed, key.errorString());
  if (auto r = key.value().writeBinary(kKey2Value, key2->data(), key2->size()); !r)
    return Failure(Problem::RegistryFailed, r.errorString());

  if (!file.commit()) return Failure(Problem::DataFileNotWritten, file.error());
  if (auto r = transaction.commit(); !r) {
    // Key2 still fits the old records: bring them back.
    std::string why;
    platform::AtomicFile::writeFile(account.dataFile, old, 0600, &why);
    crypto::wipe(old);
    return Failure(Problem::RegistryFailed, r.errorString());
  }
  crypto::wipe(old);
  return {};
}

Failure deleteAccount(AccountRegistry& accounts, const AccountValues& account) {
  if (auto r = accounts.registry().deleteKey(userKeyPath(account.id)); !r)
    return Failure(r.isNotFound() ? Problem::NoSuchUser : Problem::RegistryFailed, r.errorString());
  if (::unlink(account.dataFile.c_str()) != 0 && errno != ENOENT)
    return Failure(Problem::DataFileNotWritten,
                   "the user was removed, but " + account.dataFile + " stays: " + std::strerror(errno));
  return {};
}

}  // namespace account
