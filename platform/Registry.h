#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/RegistryKey.h"

namespace platform {

// The registry: a tree of keys with typed values, stored in one SQLite file per
// scope (CurrentUser: paths::userDir()/registry.sqlite; LocalMachine:
// paths::machineDir()/registry.sqlite). Files and folders it creates get mode
// 0600 / 0700.
//
//   platform::Registry reg(platform::Registry::CurrentUser);
//   auto key = reg.createKey("\\Software\\Veradynics\\Lockmere\\Users\\alice");
//   if (key) key.value().writeBinary("Key1", key1Bytes);
//   bool onTop = reg.openKey(userKeyPath).value().readBool("StayOnTop").valueOr(false);
//
// A Registry and the keys opened from it may be used from several threads; several
// processes may read and write the same file at once. Copies share one connection.
// Do not use an object across fork(): open a new one in the child.
class Registry {
 public:
  enum Scope { CurrentUser, LocalMachine };
  enum class OpenMode {
    ReadWrite,  // creates the file when missing; writes fail with a clear text when it is not writable
    ReadOnly,   // never creates anything; a missing file reads as an empty registry
  };

  explicit Registry(Scope scope, OpenMode mode = OpenMode::ReadWrite);
  Registry(std::string filePath, OpenMode mode);

  static std::string filePath(Scope scope);

  const std::string& fileName() const;
  // Whether the file opened; when not, every call fails with errorString().
  bool isOpen() const;
  std::string errorString() const;

  RegistryKey rootKey() const;
  // Key paths are absolute ("\Software\Veradynics\Lockmere"; the leading backslash
  // is optional) and case-insensitive.
  RegistryValue<RegistryKey> openKey(std::string_view path) const;
  RegistryValue<RegistryKey> createKey(std::string_view path);
  RegistryResult deleteKey(std::string_view path);
  bool keyExists(std::string_view path) const;

 private:
  friend class RegistryTransaction;
  std::shared_ptr<RegistryStore> store_;
};

}  // namespace platform
