#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryResult.h"
#include "platform/RegistryStore.h"

namespace platform {

// An open registry key: a cheap, copyable handle (like an HKEY). It names one key
// row; when the key is deleted, by this process or another, every call on the handle
// reports NotFound, even if a key of the same path is created again.
//
// Value names are case-insensitive and keep the case they were first written with;
// the empty name is the key's unnamed default value. Sub-paths use backslashes.
class RegistryKey {
 public:
  RegistryKey() = default;

  bool isValid() const { return store_ != nullptr; }
  // Full path in stored case, "\Software\Veradynics\Lockmere"; "\" for the root.
  std::string path() const;
  // The last path segment in stored case; empty for the root.
  std::string name() const;
  // False once the key was deleted.
  bool exists() const;

  // Subkeys. A sub-path may hold several levels ("Users\Alice").
  RegistryValue<RegistryKey> openKey(std::string_view subPath) const;  // NotFound when missing
  RegistryValue<RegistryKey> createKey(std::string_view subPath);      // opens, creating what is missing
  RegistryResult deleteKey(std::string_view subPath);                  // the subkey with all its subkeys
  bool keyExists(std::string_view subPath) const;
  // Direct subkeys, sorted case-insensitively.
  RegistryValue<std::vector<std::string>> subkeyNames() const;
  RegistryValue<bool> hasSubkeys() const;

  // Values, in the order they were first written.
  RegistryValue<std::vector<std::string>> valueNames() const;
  // NotFound when the value is absent.
  RegistryValue<RegistryType> valueType(std::string_view name) const;
  bool valueExists(std::string_view name) const;

  // Reads: NotFound when absent (an empty string or block is ok() and empty),
  // WrongType when the value has another type.
  RegistryValue<std::string> readString(std::string_view name) const;
  RegistryValue<std::int32_t> readInteger(std::string_view name) const;
  RegistryValue<bool> readBool(std::string_view name) const;  // an integer, true when not 0
  RegistryValue<std::vector<std::uint8_t>> readBinary(std::string_view name) const;

  // Writes create or replace the value (its type may change). Strings may not hold
  // NUL characters; data is limited to 1 MiB.
  RegistryResult writeString(std::string_view name, std::string_view value);
  RegistryResult writeInteger(std::string_view name, std::int32_t value);
  RegistryResult writeBool(std::string_view name, bool value);  // integer 0 or 1
  RegistryResult writeBinary(std::string_view name, std::span<const std::uint8_t> data);
  RegistryResult writeBinary(std::string_view name, const void* data, std::size_t size);

  // NotFound when the value did not exist.
  RegistryResult deleteValue(std::string_view name);

 private:
  friend class Registry;
  RegistryKey(std::shared_ptr<RegistryStore> store, RegistryStore::KeyRef ref)
      : store_(std::move(store)), ref_(std::move(ref)) {}

  RegistryResult checkUsable() const;
  RegistryValue<RegistryKey> resolve(std::string_view subPath, bool create) const;
  RegistryValue<RegistryStore::StoredValue> read(std::string_view name, RegistryType wanted) const;
  RegistryResult write(std::string_view name, RegistryType type, const void* data, std::size_t size);

  std::shared_ptr<RegistryStore> store_;
  RegistryStore::KeyRef ref_;
};

}  // namespace platform
