#pragma once

#include <string>

#include "platform/Registry.h"

namespace shell {

class ConfigHost;

// The states of the settings window's controls, without the widgets: how they
// are filled from the registry and the start-up entry, and how they are stored
// back with their side effects on the main window.
struct ConfigValues {
  // " 기본설정 "
  bool AutoRun = false;
  bool MinimizeRun = false;
  bool MostOnTop = false;
  bool GoTrayAtExit = false;
  bool GoTrayAtSiteOpen = false;
  bool UseDefaultLoginType = false;
  int DefaultLoginTypeIndex = 0;  // 0..4: login type - 1
  // " 동작설정 "
  bool AutoGetIEURL = false;
  bool AlarmNewSite = false;
  int ALRetryTime = 10;  // seconds, 0..100
  // " 보안설정 "
  bool AutoLogin = false;
  bool LockPassword = false;
  bool AutoLogout = false;
  int AutoLogoutTime = 5;  // minutes, 1..120
  bool AllIEClose = false;
  // " 지문인식기 설정 "
  bool AlarmFPIMsg = false;
  int FPIWaitTime = 5;  // seconds, 2..100

  // The start-up entry asks for a minimised start: "MINIMIZE" (in any case)
  // at a position above 8 of the value, so a path that starts with it does not count.
  static bool asksMinimized(const std::string& entryValue);

  // Filling: the designed states above, then the start-up entry, the logged-in
  // user's key (when it opens) with the window's defaults, and "AutoLogin".
  static ConfigValues load(platform::Registry& registry, const std::string& userId);

  // Storing, in order: the start-up entry; each setting into the main window's
  // field (with its side effect) and then into the user's key; the automatic
  // login. Stops at the first registry error. False with error then.
  bool store(platform::Registry& registry, ConfigHost& host, const std::string& programPath,
             std::string* error = nullptr) const;
};

}  // namespace shell
