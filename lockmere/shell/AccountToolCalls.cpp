#include "lockmere/shell/AccountToolCalls.h"

#include "lockmere/store/AccountToolBlocks.h"
#include "lockmere/tools/account/AccountTools.h"

namespace shell {

namespace {
constexpr const char* kOrvane = "Orvane.dll";
constexpr const char* kCaskle = "Caskle.dll";
constexpr const char* kModify = "LMModify.dll";
}  // namespace

bool AccountToolCalls::loadInto(platform::Library& slot, const char* fileName) {
  slot.unload();
  slot = platform::Library(fileName);
  if (slot.load()) return true;
  slot.unload();
  return false;
}

template <typename Fn>
Fn AccountToolCalls::entry(platform::Library& slot, const char* name) {
  Fn fn = slot.resolve<Fn>(name);
  if (!fn) slot.unload();
  return fn;
}

bool AccountToolCalls::openNewUser(platform::WindowHandle window, const crypto::SecureBytes& programKey) {
  if (!loadInto(tool_, kOrvane)) return false;
  auto open = entry<account::OpenOrvaneFormFn>(tool_, "OpenOrvaneForm");
  if (!open) return false;
  const auto token = store::tools::makeToolToken(programKey);
  return open(window, token.data()) != 0;
}

bool AccountToolCalls::openBackup(platform::WindowHandle window, const crypto::SecureBytes& programKey,
                                  const std::string& userId) {
  if (!loadInto(tool_, kCaskle)) return false;
  auto open = entry<account::OpenBackupFormFn>(tool_, "OpenBackupForm");
  if (!open) return false;
  const auto token = store::tools::makeToolToken(programKey);
  return open(window, token.data(), userId.c_str()) != 0;
}

bool AccountToolCalls::openRestore(platform::WindowHandle window, const crypto::SecureBytes& programKey,
                                   const std::string& userId) {
  if (!loadInto(tool_, kCaskle)) return false;
  auto open = entry<account::OpenRestoreFormFn>(tool_, "OpenRestoreForm");
  if (!open) return false;
  const auto token = store::tools::makeToolToken(programKey);
  return open(window, token.data(), userId.empty() ? nullptr : userId.c_str()) != 0;
}

bool AccountToolCalls::openPasswordChange(platform::WindowHandle window, const crypto::SecureBytes& programKey,
                                          const crypto::SecureBytes& dataKey, const std::string& userId, int top,
                                          int left) {
  auto block = store::tools::makeModificationBlock(dataKey, userId, programKey);
  if (!block) return false;
  if (!loadInto(tool_, kModify)) return false;
  auto open = entry<account::OpenPWModifyFormFn>(tool_, "OpenPWModifyForm");
  if (!open) return false;
  const auto token = store::tools::makeToolToken(programKey);
  const bool opened = open(window, token.data(), block->data(), top, left) != 0;
  crypto::wipe(block->data(), block->size());
  return opened;
}

bool AccountToolCalls::openFingerprintChange(platform::WindowHandle window, const crypto::SecureBytes& programKey,
                                             const crypto::SecureBytes& dataKey, const std::string& userId) {
  auto block = store::tools::makeModificationBlock(dataKey, userId, programKey);
  if (!block) return false;
  if (!loadInto(tool_, kModify)) return false;
  auto open = entry<account::OpenFPModifyFormFn>(tool_, "OpenFPModifyForm");
  if (!open) return false;
  const auto token = store::tools::makeToolToken(programKey);
  const bool opened = open(window, token.data(), block->data(), 0, 0) != 0;
  crypto::wipe(block->data(), block->size());
  return opened;
}

bool AccountToolCalls::openPasswordGenerator(platform::WindowHandle window, int x, int y) {
  if (!loadInto(generator_, kCaskle)) return false;
  auto open = entry<account::OpenPasswordGenFormFn>(generator_, "OpenPasswordGenForm");
  if (!open) return false;
  return open(window, x, y) != 0;
}

}  // namespace shell
