#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Registry.h"

// The per-user settings the main window holds while a user is logged in, with
// the defaults it applies at login when a value is absent. Other parts of the
// program read them from the main window, not from the registry.
namespace store {

struct UserSettings {
  bool StayOnTop = false;
  bool GoTrayAtExit = true;
  bool GoTrayAtSiteOpen = true;
  bool UseDefaultLoginType = false;
  int DefaultLoginType = 0;  // 1..5 once read; no default: a login keeps the previous value
  bool AutoGetIEURL = true;
  bool AlarmNewSite = true;
  bool LockPassword = false;
  bool AutoLogout = false;
  int AutoLogoutTime = 9999;  // minutes
  bool ALIEClose = true;
  bool AlarmFPIMsg = true;
  int FPIWaitTime = 5;          // seconds
  int AutoLoginRetryTime = 10;  // seconds

  // Every setting but DefaultLoginType back to its default.
  void resetToDefaults();
};

// What a login reads from the user registry key besides the settings.
struct LoginValues {
  bool keyOpened = false;
  std::string dataFile;
  std::optional<std::int32_t> width;
  std::optional<std::int32_t> height;
  std::string error;  // why the key did not open
};

// The reading at login: opens the user registry key (created when missing),
// reads "DataFile", "Width" and "Height", then sets every setting to its default
// and overwrites it with the stored value where one is present.
// "DefaultLoginType" keeps its previous value unless one is stored.
LoginValues readSettingsAtLogin(platform::Registry& registry, std::string_view userId, UserSettings& settings);

// The stored settings over the defaults, from an open user key.
void readSettings(const platform::RegistryKey& userKey, UserSettings& settings);

}  // namespace store
