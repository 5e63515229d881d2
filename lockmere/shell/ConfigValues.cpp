#include "lockmere/shell/ConfigValues.h"

#include <algorithm>
#include <functional>
#include <initializer_list>

#include "lockmere/shell/ConfigHost.h"
#include "lockmere/shell/StartupEntry.h"
#include "lockmere/store/RegistryLayout.h"
#include "lockmere/store/UserDirectory.h"

namespace shell {
namespace {

namespace reg = store::reg;

constexpr int kLoginTypes = 5;

int readClamped(const platform::RegistryKey& key, std::string_view name, int fallback, int low, int high) {
  return std::clamp<int>(key.readInteger(name).valueOr(fallback), low, high);
}

// Writes into one key and remembers the first failure.
struct Writer {
  platform::RegistryKey key;
  std::string* error;

  bool put(std::string_view name, bool value) { return check(key.writeBool(name, value)); }
  bool put(std::string_view name, int value) { return check(key.writeInteger(name, value)); }
  bool check(const platform::RegistryResult& r) {
    if (!r && error) *error = r.errorString();
    return r.ok();
  }
};

}  // namespace

bool ConfigValues::asksMinimized(const std::string& entryValue) {
  std::string upper = entryValue;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : char(c); });
  // "Position above 8", counted from 1: index 8 on. Any such occurrence
  // counts, so a path that starts with the word does not hide the switch.
  return upper.find("MINIMIZE", 8) != std::string::npos;
}

ConfigValues ConfigValues::load(platform::Registry& registry, const std::string& userId) {
  ConfigValues v;
  if (const auto entry = StartupEntry::read()) {
    v.AutoRun = true;
    v.MinimizeRun = asksMinimized(*entry);
  }
  auto opened = userId.empty() ? platform::RegistryValue<platform::RegistryKey>(platform::RegistryResult(
                                     platform::RegistryStatus::NotFound, "no user is logged in"))
                               : registry.openKey(reg::userKeyPath(userId));
  if (opened) {
    const platform::RegistryKey& key = opened.value();
    v.MostOnTop = key.readBool(reg::kStayOnTop).valueOr(v.MostOnTop);
    v.GoTrayAtExit = key.readBool(reg::kGoTrayAtExit).valueOr(true);
    v.GoTrayAtSiteOpen = key.readBool(reg::kGoTrayAtSiteOpen).valueOr(true);
    v.UseDefaultLoginType = key.readBool(reg::kUseDefaultLoginType).valueOr(v.UseDefaultLoginType);
    if (v.UseDefaultLoginType)
      if (auto type = key.readInteger(reg::kDefaultLoginType); type && type.value() >= 1 && type.value() <= kLoginTypes)
        v.DefaultLoginTypeIndex = type.value() - 1;
    v.AutoGetIEURL = key.readBool(reg::kAutoGetIEURL).valueOr(true);
    v.AlarmNewSite = key.readBool(reg::kAlarmNewSite).valueOr(true);
    v.ALRetryTime = readClamped(key, reg::kAutoLoginRetryTime, 10, 0, 100);
    v.LockPassword = key.readBool(reg::kLockPassword).valueOr(false);
    v.AutoLogout = key.readBool(reg::kAutoLogout).valueOr(false);
    if (v.AutoLogout) {
      v.AutoLogoutTime = readClamped(key, reg::kAutoLogoutTime, v.AutoLogoutTime, 1, 120);
      v.AllIEClose = key.readBool(reg::kALIEClose).valueOr(v.AllIEClose);
    }
    v.AlarmFPIMsg = key.readBool(reg::kAlarmFPIMsg).valueOr(true);
    v.FPIWaitTime = readClamped(key, reg::kFPIWaitTime, 5, 2, 100);
  }
  if (auto main = registry.openKey(reg::kMainKey)) v.AutoLogin = main.value().readBool(reg::kAutoLogin).valueOr(false);
  return v;
}

bool ConfigValues::store(platform::Registry& registry, ConfigHost& host, const std::string& programPath,
                         std::string* error) const {
  if (AutoRun) {
    if (!StartupEntry::write(programPath, MinimizeRun, error)) return false;
  } else if (StartupEntry::read()) {
    if (!StartupEntry::remove(error)) return false;
  }

  const std::string userId = host.currentUserId();
  if (auto opened = registry.openKey(reg::userKeyPath(userId)); opened && !userId.empty()) {
    // Each write on its own, not one transaction: the main window's side
    // effects run between them and may use the registry themselves.
    Writer w{opened.value(), error};
    store::UserSettings& s = host.settings();
    const std::initializer_list<std::function<bool()>> steps{
        [&] {
          s.StayOnTop = MostOnTop;
          host.setStayOnTop(MostOnTop);
          return w.put(reg::kStayOnTop, MostOnTop);
        },
        [&] { return w.put(reg::kGoTrayAtExit, s.GoTrayAtExit = GoTrayAtExit); },
        [&] { return w.put(reg::kGoTrayAtSiteOpen, s.GoTrayAtSiteOpen = GoTrayAtSiteOpen); },
        [&] { return w.put(reg::kUseDefaultLoginType, s.UseDefaultLoginType = UseDefaultLoginType); },
        [&] {
          return !UseDefaultLoginType || w.put(reg::kDefaultLoginType, s.DefaultLoginType = DefaultLoginTypeIndex + 1);
        },
        [&] {
          s.AutoGetIEURL = AutoGetIEURL;
          host.setStatusAutoGetUrl(AutoGetIEURL);
          return w.put(reg::kAutoGetIEURL, AutoGetIEURL);
        },
        [&] {
          s.AlarmNewSite = AlarmNewSite;
          host.setAlarmNewSiteChecked(AlarmNewSite);
          return w.put(reg::kAlarmNewSite, AlarmNewSite);
        },
        [&] { return w.put(reg::kAutoLoginRetryTime, s.AutoLoginRetryTime = ALRetryTime); },
        [&] { return w.put(reg::kLockPassword, s.LockPassword = LockPassword); },
        [&] { return w.put(reg::kAutoLogout, s.AutoLogout = AutoLogout); },
        [&] { return w.put(reg::kAutoLogoutTime, s.AutoLogoutTime = AutoLogoutTime); },
        [&] {
          if (!w.put(reg::kALIEClose, s.ALIEClose = AllIEClose)) return false;
          if (AutoLogout)
            host.restartIdleWatch(AutoLogoutTime);
          else
            host.stopIdleWatch();
          return true;
        },
        [&] { return w.put(reg::kAlarmFPIMsg, s.AlarmFPIMsg = AlarmFPIMsg); },
        [&] { return w.put(reg::kFPIWaitTime, s.FPIWaitTime = FPIWaitTime); },
    };
    for (const auto& step : steps)
      if (!step()) return false;
  }

  store::UserDirectory users(registry, host.programKey());
  return users.writeAutoLogin(userId, host.dataKey(), AutoLogin, error);
}

}  // namespace shell
