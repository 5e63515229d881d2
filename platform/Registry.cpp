#include "platform/Registry.h"

#include <sys/stat.h>
#include <cerrno>

#include "platform/Paths.h"

namespace platform {

namespace {

RegistryStore::Mode storeMode(Registry::OpenMode mode) {
  return mode == Registry::OpenMode::ReadOnly ? RegistryStore::Mode::ReadOnly : RegistryStore::Mode::ReadWrite;
}

// The user's registry holds key blocks: its folder must be private. Reading
// a scope nobody has written yet (no folder) is not an error.
std::shared_ptr<RegistryStore> userStore(Registry::OpenMode mode) {
  const std::string folder = paths::location(paths::Folder::Config);
  struct stat st {};
  const bool missing = !folder.empty() && ::lstat(folder.c_str(), &st) != 0 && errno == ENOENT;
  if (!(mode == Registry::OpenMode::ReadOnly && missing)) {
    paths::PrivateDir dir = mode == Registry::OpenMode::ReadWrite ? paths::privateDir(paths::Folder::Config)
                                                                  : paths::privateDir(folder, false);
    if (!dir) return std::make_shared<RegistryStore>(Registry::filePath(Registry::CurrentUser), dir.error);
  }
  return std::make_shared<RegistryStore>(Registry::filePath(Registry::CurrentUser), storeMode(mode));
}

}  // namespace

Registry::Registry(Scope scope, OpenMode mode)
    : store_(scope == CurrentUser ? userStore(mode)
                                  : std::make_shared<RegistryStore>(filePath(scope), storeMode(mode),
                                                                    RegistryStore::Readers::Everyone)) {}

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
