#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/TemplateRecords.h"
#include "lockmere/tools/account/core/AccountRegistry.h"
#include "ridgecore/ridgecore.h"

// Creating a user, all or nothing: what the program needs to log a user in is
// a data file (header with the check block for the ID, one template record per
// enrolled finger, no store yet) and, under the users key, DataFile, Key1 and
// Key2. Either all of it is there afterwards, or none of it.
namespace account {

struct NewAccount {
  std::string id;
  std::string password;
  std::vector<tagENROLL> fingers;  // completed templates, in enrollment order
};

// The records of one user: the owner's ID in bytes 0-49 of each, then the
// template. Nullopt for an ID that has no code-page form of 1 to 50 bytes.
std::optional<store::TemplateRecords> makeRecords(std::string_view id, const std::vector<tagENROLL>& fingers);

// A fresh file name for a user's data file in the data folder: the ID's
// letters and digits, then random hex, ".lmd". The folder is not touched.
std::string newDataFilePath(std::string_view id);

class AccountCreation {
 public:
  AccountCreation(AccountRegistry& accounts, crypto::SecureBytes programKey);

  // Checks the ID and the password (checkNewId, checkNewPassword; IdExists
  // when the registry has the ID in any case), then creates the user: a data
  // key from the system's generator, the data file (written whole or not at
  // all), then the registry key with its three values in one transaction. On
  // success the data file's path. On failure nothing of the user is left: no
  // data file, no registry key.
  Outcome<std::string> create(const NewAccount& account);

 private:
  Failure writeRegistry(const std::string& id, const std::string& path, const crypto::SecureBytes& dataKey,
                        const store::TemplateRecords& records, const std::string& password);

  AccountRegistry& accounts_;
  crypto::SecureBytes programKey_;
};

}  // namespace account
