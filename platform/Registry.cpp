#include "platform/Registry.h"

#include "platform/Paths.h"

namespace platform {

namespace {

RegistryStore::Mode storeMode(Registry::OpenMode mode) {
  return mode == Registry::OpenMode::ReadOnly ? RegistryStore::Mode::ReadOnly : RegistryStore::Mode::ReadWrite;
}

}  // namespace

Registry::Registry(Scope scope, OpenMode mode)
    : store_(std::make_shared<RegistryStore>(
          filePath(scope), storeMode(mode),
          scope == LocalMachine ? RegistryStore::Readers::Everyone : RegistryStore::Readers::Owner)) {}

Registry::Registry(std::string filePath, OpenMode mode)
    : store_(std::make_shared<RegistryStore>(std::move(filePath), storeMode(mode))) {}

std::string Registry::filePath(Scope scope) {
  return (scope == CurrentUser ? paths::userDir() : paths::machineDir()) + "/registry.sqlite";
}

const std::string& Registry::fileName() const { return store_->path(); }

bool Registry::isOpen() const { return store_->openResult().ok(); }

std::string Registry::errorString() const { return store_->openResult().errorString(); }

RegistryKey Registry::rootKey() const { return RegistryKey(store_, RegistryStore::root()); }

RegistryValue<RegistryKey> Registry::openKey(std::string_view path) const { return rootKey().openKey(path); }

RegistryValue<RegistryKey> Registry::createKey(std::string_view path) { return rootKey().createKey(path); }

RegistryResult Registry::deleteKey(std::string_view path) { return rootKey().deleteKey(path); }

bool Registry::keyExists(std::string_view path) const { return rootKey().keyExists(path); }

}  // namespace platform
