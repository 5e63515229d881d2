#pragma once

#include <string>
#include <string_view>

// Where the program keeps its configuration in the current user's registry:
// the main key with the global values, the users key with one subkey per user
// of the program, and the value names of both.
namespace store::reg {

inline constexpr std::string_view kMainKey = "\\Software\\Veradynics\\Lockmere";
inline constexpr std::string_view kUsersKey = "\\Software\\Veradynics\\Lockmere\\Users";

// "\Software\Veradynics\Lockmere\Users\" followed by the ID.
inline std::string userKeyPath(std::string_view userId) {
  std::string path(kUsersKey);
  path += '\\';
  path += userId;
  return path;
}

// Main key.
inline constexpr std::string_view kLastLoginID = "LastLoginID";
inline constexpr std::string_view kLastWindowLeft = "LastWindowLeft";
inline constexpr std::string_view kLastWindowTop = "LastWindowTop";
inline constexpr std::string_view kAutoLogin = "AutoLogin";
inline constexpr std::string_view kALData = "ALData";
inline constexpr std::string_view kLastAddSiteURL = "LastAddSiteURL";
inline constexpr std::string_view kLastOpenURL = "LastOpenURL";  // a second start's address for the running program

// User key: the user's files and keys.
inline constexpr std::string_view kDataFile = "DataFile";
inline constexpr std::string_view kKey1 = "Key1";
inline constexpr std::string_view kKey2 = "Key2";
inline constexpr std::string_view kWidth = "Width";
inline constexpr std::string_view kHeight = "Height";

// User key: the settings.
inline constexpr std::string_view kStayOnTop = "StayOnTop";
inline constexpr std::string_view kGoTrayAtExit = "GoTrayAtExit";
inline constexpr std::string_view kGoTrayAtSiteOpen = "GoTrayAtSiteOpen";
inline constexpr std::string_view kUseDefaultLoginType = "UseDefaultLoginType";
inline constexpr std::string_view kDefaultLoginType = "DefaultLoginType";
inline constexpr std::string_view kAutoGetIEURL = "AutoGetIEURL";
inline constexpr std::string_view kAlarmNewSite = "AlarmNewSite";
inline constexpr std::string_view kLockPassword = "LockPassword";
inline constexpr std::string_view kAutoLogout = "AutoLogout";
inline constexpr std::string_view kAutoLogoutTime = "AutoLogoutTime";
inline constexpr std::string_view kALIEClose = "ALIEClose";
inline constexpr std::string_view kAlarmFPIMsg = "AlarmFPIMsg";
inline constexpr std::string_view kFPIWaitTime = "FPIWaitTime";
inline constexpr std::string_view kAutoLoginRetryTime = "AutoLoginRetryTime";

}  // namespace store::reg
