#include "lockmere/tools/account/core/Unlock.h"

#include "lockmere/store/AccountToolBlocks.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/store/KeyBlocks.h"

namespace account {

Outcome<store::DataFileHeader> readDataFileHeader(const std::string& path) {
  const store::DataFile file(path);
  if (!file.exists()) return Failure(Problem::DataFileMissing, path);
  std::string why;
  auto header = file.readHeader(&why);
  if (!header) return Failure(Problem::DataFileDamaged, why);
  return *header;
}

Outcome<UnlockedAccount> unlockWithPassword(const AccountRegistry& accounts, std::string_view id,
                                            std::string_view password, const crypto::SecureBytes& programKey) {
  auto values = accounts.read(id);
  if (!values) return values.failure();
  auto header = readDataFileHeader(values->dataFile);
  if (!header) return header.failure();
  auto dataKey = store::keys::unwrapByPassword(values->id, password, values->key1.data(), values->key1.size(), *header,
                                               programKey);
  if (!dataKey) return Failure(Problem::WrongPassword);
  return UnlockedAccount{values->id, values->dataFile, std::move(*dataKey), *header};
}

Outcome<AccountValues> confirmPassword(const AccountRegistry& accounts, std::string_view id, std::string_view password,
                                       const crypto::SecureBytes& programKey) {
  auto values = accounts.read(id);
  if (!values) return values.failure();
  if (!store::keys::openKey1(values->id, password, values->key1.data(), values->key1.size(), programKey))
    return Failure(Problem::WrongPassword);
  return values;
}

Outcome<UnlockedAccount> unlockWithModificationBlock(const AccountRegistry& accounts, const unsigned char* block,
                                                     std::size_t size, const crypto::SecureBytes& programKey) {
  auto modification = store::tools::readModificationBlock(block, size, programKey);
  if (!modification) return Failure(Problem::ModificationBlockInvalid);
  auto values = accounts.read(modification->userId);
  if (!values) return values.failure();
  // The block names the user as the program knows the ID; the check block
  // compares bytes, so the spelling must be the registry's.
  if (values->id != modification->userId) return Failure(Problem::ModificationBlockInvalid, "another ID");
  auto header = readDataFileHeader(values->dataFile);
  if (!header) return header.failure();
  if (!store::keys::verifyDataKey(values->id, modification->dataKey, *header))
    return Failure(Problem::ModificationBlockInvalid, "the data key does not open the data file");
  return UnlockedAccount{values->id, values->dataFile, std::move(modification->dataKey), *header};
}

}  // namespace account
