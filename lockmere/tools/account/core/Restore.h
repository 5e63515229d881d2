#pragma once

#include <optional>
#include <string>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/tools/account/core/AccountRegistry.h"
#include "lockmere/tools/account/core/Backup.h"

// Putting an account back from a backup: as a new user, or in place of the
// user with the same ID once that user's own password confirms it.
namespace account {

struct RestoreRequest {
  std::string backupPassword;  // the password of the account in the backup
  // Needed when a user with the backup's ID exists (any case): that user's
  // current password, which confirms the replacement.
  std::optional<std::string> currentPassword;
  // The user logged into the program, if any. Restoring that user is
  // refused when the backup holds another data key (an earlier account with
  // the same ID): the program would go on with a key the restored store does
  // not open.
  std::string loggedInId;
};

struct RestoreDone {
  std::string id;
  std::string dataFile;
  bool replaced = false;               // an existing user was replaced
  bool loggedInStoreRestored = false;  // the logged-in user's store changed: the program reloads it
};

// WrongPassword when the backup's password does not open its Key1 or the
// data key does not verify against the data file in it; ReplaceNotConfirmed
// without the current password of an existing user, WrongPassword with a
// wrong one; BackupOfOtherAccount (above); file and registry problems. Writes
// the data file (in place of the existing user's, or as a new file in the
// data folder) and the user's registry key with the backup's values and
// DataFile; all of it or nothing.
Outcome<RestoreDone> restoreAccount(AccountRegistry& accounts, const BackupContents& backup,
                                    const RestoreRequest& request, const crypto::SecureBytes& programKey);

// Whether a user with the backup's ID exists (so the current password is needed).
std::optional<std::string> existingUser(const AccountRegistry& accounts, const BackupContents& backup);

}  // namespace account
