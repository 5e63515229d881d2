#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lockmere/store/DataFile.h"
#include "lockmere/tools/account/core/Problem.h"
#include "platform/Registry.h"

// The users key of the registry, as the account tools see it: who the users
// are and the three values that make each one able to log in.
namespace account {

inline constexpr const char* kUsersKey = "\\Software\\Veradynics\\Lockmere\\Users";
inline constexpr const char* kDataFileValue = "DataFile";
inline constexpr const char* kKey1Value = "Key1";
inline constexpr const char* kKey2Value = "Key2";

// "\Software\Veradynics\Lockmere\Users\" + id.
std::string userKeyPath(std::string_view id);

// A user's DataFile, Key1 and Key2, with the ID as the registry spells it.
struct AccountValues {
  std::string id;
  std::string dataFile;
  std::vector<std::uint8_t> key1;
  std::vector<std::uint8_t> key2;
};

class AccountRegistry {
 public:
  explicit AccountRegistry(platform::Registry& registry) : registry_(registry) {}
  platform::Registry& registry() const { return registry_; }

  // The users in the registry's enumeration order (none without a users key).
  Outcome<std::vector<std::string>> ids() const;
  // The ID as stored, when a user with this ID exists; the registry compares
  // keys without regard to case, and so does this.
  std::optional<std::string> find(std::string_view id) const;
  // The three values; NoSuchUser, AccountIncomplete (a value missing or of
  // the wrong type or size) or RegistryFailed.
  Outcome<AccountValues> read(std::string_view id) const;
  // Every user's data file in enumeration order, leaving out one ID (any
  // case); for loading everyone's template records.
  std::vector<store::UserFile> userFiles(std::string_view except = {}) const;

 private:
  platform::Registry& registry_;
};

}  // namespace account
