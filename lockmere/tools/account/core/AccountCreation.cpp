#include "lockmere/tools/account/core/AccountCreation.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "lockmere/crypto/Hash.h"
#include "lockmere/crypto/Random.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/tools/account/core/Credentials.h"
#include "platform/Paths.h"
#include "platform/RegistryTransaction.h"

namespace account {

std::optional<store::TemplateRecords> makeRecords(std::string_view id, const std::vector<tagENROLL>& fingers) {
  const auto owner = store::keys::idBytes(id);
  if (!owner) return std::nullopt;
  store::TemplateRecords records;
  for (const tagENROLL& finger : fingers)
    records.appendRecord(store::TemplateRecords::makeRecord(*owner, finger).data());
  return records;
}

std::string newDataFilePath(std::string_view id) {
  std::string name;
  for (char c : id)
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_') name += c;
  if (name.size() > 24) name.resize(24);
  if (!name.empty()) name += '-';
  unsigned char random[6];
  crypto::randomBytes(random, sizeof random);
  return platform::paths::dataDir() + "/" + name + crypto::toHex(random, sizeof random) + ".lmd";
}

AccountCreation::AccountCreation(AccountRegistry& accounts, crypto::SecureBytes programKey)
    : accounts_(accounts), programKey_(std::move(programKey)) {}

Outcome<std::string> AccountCreation::create(const NewAccount& account) {
  if (const Problem p = checkNewId(account.id); p != Problem::None) return Failure(p);
  if (const Problem p = checkNewPassword(account.password); p != Problem::None) return Failure(p);
  if (accounts_.find(account.id)) return Failure(Problem::IdExists, account.id);
  const auto records = makeRecords(account.id, account.fingers);
  if (!records) return Failure(Problem::IdNotCodePage);

  crypto::SecureBytes dataKey(store::fixed::kDataKeySize);
  if (!crypto::randomBytes(dataKey.data(), dataKey.size()))
    return Failure(Problem::DataFileNotWritten, "the random generator failed");

  const std::string folder = platform::paths::dataDir();
  if (!platform::paths::makeDirs(folder, 0700))
    return Failure(Problem::DataFolderUnusable, folder + ": " + std::strerror(errno));
  std::string path = newDataFilePath(account.id);
  while (::access(path.c_str(), F_OK) == 0) path = newDataFilePath(account.id);

  std::string why;
  if (!store::DataFile::create(path, account.id, dataKey, *records, programKey_, store::TemplateRecords::kRecordSize,
                               &why))
    return Failure(Problem::DataFileNotWritten, why);

  if (Failure failed = writeRegistry(account.id, path, dataKey, *records, account.password)) {
    ::unlink(path.c_str());
    return failed;
  }
  return path;
}

Failure AccountCreation::writeRegistry(const std::string& id, const std::string& path,
                                       const crypto::SecureBytes& dataKey, const store::TemplateRecords& records,
                                       const std::string& password) {
  const auto key1 = store::keys::makeKey1(id, password, dataKey, programKey_);
  const auto key2 = store::keys::makeKey2(id, records, dataKey, programKey_);
  if (!key1 || !key2) return Failure(Problem::PasswordNotCodePage);
  platform::Registry& registry = accounts_.registry();
  platform::RegistryTransaction transaction(registry);
  if (!transaction.isActive()) return Failure(Problem::RegistryFailed, transaction.result().errorString());
  // Asked again inside the transaction: another creation may have won meanwhile.
  if (registry.keyExists(userKeyPath(id))) return Failure(Problem::IdExists, id);
  auto key = registry.createKey(userKeyPath(id));
  if (!key) return Failure(Problem::RegistryFailed, key.errorString());
  for (const platform::RegistryResult& r :
       {key.value().writeString(kDataFileValue, path), key.value().writeBinary(kKey1Value, key1->data(), key1->size()),
        key.value().writeBinary(kKey2Value, key2->data(), key2->size())})
    if (!r) return Failure(Problem::RegistryFailed, r.errorString());
  if (auto r = transaction.commit(); !r) return Failure(Problem::RegistryFailed, r.errorString());
  return {};
}

}  // namespace account
