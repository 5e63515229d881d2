#include "lockmere/store/UserSettings.h"

#include "lockmere/store/RegistryLayout.h"

namespace store {
namespace {

void readBool(const platform::RegistryKey& key, std::string_view name, bool& field) {
  field = key.readBool(name).valueOr(field);
}

void readInteger(const platform::RegistryKey& key, std::string_view name, int& field) {
  field = key.readInteger(name).valueOr(field);
}

}  // namespace

void UserSettings::resetToDefaults() {
  const int kept = DefaultLoginType;
  *this = UserSettings{};
  DefaultLoginType = kept;
}

void readSettings(const platform::RegistryKey& userKey, UserSettings& settings) {
  settings.resetToDefaults();
  readBool(userKey, reg::kStayOnTop, settings.StayOnTop);
  readBool(userKey, reg::kGoTrayAtExit, settings.GoTrayAtExit);
  readBool(userKey, reg::kGoTrayAtSiteOpen, settings.GoTrayAtSiteOpen);
  readBool(userKey, reg::kUseDefaultLoginType, settings.UseDefaultLoginType);
  readInteger(userKey, reg::kDefaultLoginType, settings.DefaultLoginType);
  readBool(userKey, reg::kAutoGetIEURL, settings.AutoGetIEURL);
  readBool(userKey, reg::kAlarmNewSite, settings.AlarmNewSite);
  readBool(userKey, reg::kLockPassword, settings.LockPassword);
  readBool(userKey, reg::kAutoLogout, settings.AutoLogout);
  readInteger(userKey, reg::kAutoLogoutTime, settings.AutoLogoutTime);
  readBool(userKey, reg::kALIEClose, settings.ALIEClose);
  readBool(userKey, reg::kAlarmFPIMsg, settings.AlarmFPIMsg);
  readInteger(userKey, reg::kFPIWaitTime, settings.FPIWaitTime);
  readInteger(userKey, reg::kAutoLoginRetryTime, settings.AutoLoginRetryTime);
}

LoginValues readSettingsAtLogin(platform::Registry& registry, std::string_view userId, UserSettings& settings) {
  LoginValues values;
  auto key = registry.createKey(reg::userKeyPath(userId));
  if (!key) {
    // The main window runs with the defaults rather than with another user's values.
    settings.resetToDefaults();
    values.error = key.errorString();
    return values;
  }
  values.keyOpened = true;
  values.dataFile = key.value().readString(reg::kDataFile).valueOr({});
  if (auto w = key.value().readInteger(reg::kWidth)) values.width = w.value();
  if (auto h = key.value().readInteger(reg::kHeight)) values.height = h.value();
  readSettings(key.value(), settings);
  return values;
}

}  // namespace store
