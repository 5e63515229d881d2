#pragma once

#include <string>

#include "lockmere/crypto/SecureBytes.h"
#include "platform/Library.h"
#include "platform/WindowMessages.h"

namespace shell {

// The main window's calls of the account tools ("Orvane.dll", "Caskle.dll",
// "LMModify.dll"): each call loads the tool's library by file name, hands it a
// fresh tool token (and the change tools a fresh modification block) and keeps
// the library until the tool reports back. A missing library or entry point
// makes the call do nothing (false).
//
// Two slots: the account tool (new user, backup, restore, password and
// fingerprint change), whose window keeps the main window disabled until 0x7E9,
// and the password generator, freed on 0x7EB. A library is freed before it is
// loaded again.
class AccountToolCalls {
 public:
  AccountToolCalls() = default;
  AccountToolCalls(const AccountToolCalls&) = delete;
  AccountToolCalls& operator=(const AccountToolCalls&) = delete;

  // True when the tool's window opened.
  bool openNewUser(platform::WindowHandle window, const crypto::SecureBytes& programKey);
  bool openBackup(platform::WindowHandle window, const crypto::SecureBytes& programKey, const std::string& userId);
  // userId empty: nobody is logged in (a restore only).
  bool openRestore(platform::WindowHandle window, const crypto::SecureBytes& programKey, const std::string& userId);
  bool openPasswordChange(platform::WindowHandle window, const crypto::SecureBytes& programKey,
                          const crypto::SecureBytes& dataKey, const std::string& userId, int top, int left);
  bool openFingerprintChange(platform::WindowHandle window, const crypto::SecureBytes& programKey,
                             const crypto::SecureBytes& dataKey, const std::string& userId);
  bool openPasswordGenerator(platform::WindowHandle window, int x, int y);

  bool toolLoaded() const { return tool_.isLoaded(); }
  bool passwordGeneratorLoaded() const { return generator_.isLoaded(); }
  void freeTool() { tool_.unload(); }
  void freePasswordGenerator() { generator_.unload(); }
  void freeAll() {
    freeTool();
    freePasswordGenerator();
  }

 private:
  // Frees the slot, then loads the library into it; false (slot empty) when it
  // is missing.
  static bool loadInto(platform::Library& slot, const char* fileName);
  template <typename Fn>
  static Fn entry(platform::Library& slot, const char* name);

  platform::Library tool_;
  platform::Library generator_;
};

}  // namespace shell
