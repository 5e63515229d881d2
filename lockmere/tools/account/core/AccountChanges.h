#pragma once

#include <string_view>
#include <vector>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/tools/account/core/AccountRegistry.h"
#include "lockmere/tools/account/core/Unlock.h"
#include "ridgecore/ridgecore.h"

// Changes to an existing account, each keeping what the program needs to log
// the user in consistent: a new password rewrites Key1 only; new fingerprints
// rewrite the template records and Key2 (whose key is made from the records)
// together; a deletion removes the registry key and the data file.
namespace account {

// checkNewPassword, then Key1 for the new password.
Failure changePassword(AccountRegistry& accounts, const UnlockedAccount& account, std::string_view newPassword,
                       const crypto::SecureBytes& programKey);

// The data file gets the new records behind its header (same check block and
// record size) and keeps its encrypted store; Key2 gets the fingerprint key of
// the new records. The new file is written completely before the registry
// changes; the registry's change is committed only after the file replaced the
// old one, and if that commit fails the old file is put back. NoFingers for an
// empty list.
Failure replaceFingerprints(AccountRegistry& accounts, const UnlockedAccount& account,
                            const std::vector<tagENROLL>& fingers, const crypto::SecureBytes& programKey);

// Removes the user's registry key, then the data file. A data file that
// cannot be removed afterwards is reported (the user is gone all the same).
Failure deleteAccount(AccountRegistry& accounts, const AccountValues& account);

// The current data file with other records in place of its own: header (same
// check block, record size), the records encrypted in that size, the store
// as it was. Nullopt when the file is not a valid data file.
std::optional<std::string> withRecords(std::string_view file, const store::TemplateRecords& records,
                                       const crypto::SecureBytes& programKey);

}  // namespace account
