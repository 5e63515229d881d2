#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/TemplateRecords.h"
#include "platform/Registry.h"

// The program's users as the registry lists them (one subkey of the users key
// per user ID, pointing at the user's data file), and the checks by which the
// login, confirmation and deletion windows prove who the user is. No widgets:
// the windows call these and show the outcome.
namespace store {

class UserDirectory {
 public:
  UserDirectory(platform::Registry registry, crypto::SecureBytes programKey);

  platform::Registry& registry() { return registry_; }

  // The subkey names of the users key in the registry's enumeration order; the
  // users key is created when missing.
  std::vector<std::string> userIds();
  // "LastLoginID" and "AutoLogin" of the main key (empty / false when absent).
  std::string lastLoginId() const;
  bool autoLogin() const;

  // The user's registry key exists (opened without creating it). IDs compare
  // without regard to letter case, as registry key names do.
  bool exists(std::string_view userId) const;
  // "DataFile" of an existing user; empty when absent.
  std::string dataFile(std::string_view userId) const;

  // Every user's template records, users in enumeration order, each user's in
  // file order, with the owner fields trimmed in place. A user whose data file
  // is missing or has a bad header adds nothing.
  TemplateRecords loadAllRecords();

  // Login by password: the user's Key1 unwrapped with the password and the data
  // key checked against the data file's header.
  enum class PasswordResult { Accepted, NoSuchUser, Refused };
  struct PasswordLogin {
    PasswordResult result = PasswordResult::Refused;
    crypto::SecureBytes dataKey;  // set when Accepted
  };
  PasswordLogin loginByPassword(std::string_view userId, std::string_view password) const;

  // The confirmation windows' check: Key1 names the user under this password.
  // Nullopt when the user's key does not exist (nothing happens then).
  std::optional<bool> confirmPassword(std::string_view userId, std::string_view password) const;

  // Login by the finger that matched record index of the all-users array: the
  // owner's Key2 unwrapped under the key made from all the owner's records and
  // checked against the owner's data file. records are those records, the new
  // per-user array.
  struct FingerprintLogin {
    std::string userId;
    crypto::SecureBytes dataKey;
    TemplateRecords records;
  };
  std::optional<FingerprintLogin> loginByFingerprint(const TemplateRecords& allUsers, std::size_t index) const;

  // After a successful interactive login: "AutoLogin" = enabled in the main
  // key, and "ALData" = a new auto-login block for this user (fresh random
  // bytes) when enabled, deleted otherwise. False with error at the first
  // registry failure.
  bool writeAutoLogin(std::string_view userId, const crypto::SecureBytes& dataKey, bool enabled,
                      std::string* error = nullptr);

  // Removes the user's registry key (with its subkeys) and the data file it
  // names. Deleted only when both went; KeyOnly when the key went but the data
  // file was already missing or could not be removed; Failed when the users key
  // or the user's key could not be removed (then nothing was deleted).
  enum class DeleteResult { Deleted, KeyOnly, Failed };
  DeleteResult deleteUser(std::string_view userId, std::string* error = nullptr);

 private:
  std::optional<platform::RegistryKey> openUser(std::string_view userId) const;

  platform::Registry registry_;
  crypto::SecureBytes programKey_;
};

// The records of the all-users array whose owner field, trimmed, is this ID
// (the per-user array after a password login).
TemplateRecords recordsOwnedBy(const TemplateRecords& allUsers, std::string_view userId);
// The records whose whole 50-byte owner field equals that of record index: one
// user's records, never mixed with those of a user whose ID starts the same.
TemplateRecords recordsSharingOwner(const TemplateRecords& allUsers, std::size_t index);

}  // namespace store
