#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/DataFileHeader.h"
#include "lockmere/tools/account/core/AccountRegistry.h"

// Proving who the user is before an account is read or changed, by the same
// checks as the login window: the data key must come out of Key1 and verify
// against the check block in the data file's header.
namespace account {

struct UnlockedAccount {
  std::string id;  // as the registry spells it
  std::string dataFile;
  crypto::SecureBytes dataKey;
  store::DataFileHeader header;
};

// The user's data file header: DataFileMissing or DataFileDamaged otherwise.
Outcome<store::DataFileHeader> readDataFileHeader(const std::string& path);

// By password: NoSuchUser, AccountIncomplete, DataFileMissing, DataFileDamaged,
// WrongPassword (also for a data key that does not verify).
Outcome<UnlockedAccount> unlockWithPassword(const AccountRegistry& accounts, std::string_view id,
                                            std::string_view password, const crypto::SecureBytes& programKey);

// By Key1 alone, as the confirmation window checks a password: for an
// account whose data file may be what is broken (deleting it, replacing it).
// NoSuchUser, AccountIncomplete, WrongPassword.
Outcome<AccountValues> confirmPassword(const AccountRegistry& accounts, std::string_view id, std::string_view password,
                                       const crypto::SecureBytes& programKey);

// By the modification block the program hands the change tools: its data key
// must verify against the data file of the user it names.
// ModificationBlockInvalid for a block that does not open or whose key does
// not verify; the registry and file problems as above.
Outcome<UnlockedAccount> unlockWithModificationBlock(const AccountRegistry& accounts, const unsigned char* block,
                                                     std::size_t size, const crypto::SecureBytes& programKey);

}  // namespace account
