#pragma once

#include <string>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/UserSettings.h"

namespace shell {

// What the settings window needs of the main window, which implements it and
// outlives the settings window.
class ConfigHost {
 public:
  virtual std::string currentUserId() const = 0;
  // The logged-in user's data key (for a new automatic-login block).
  virtual const crypto::SecureBytes& dataKey() const = 0;
  virtual const crypto::SecureBytes& programKey() const = 0;

  // The per-user settings the main window holds while the user is logged in.
  virtual store::UserSettings& settings() = 0;

  // Side effects of storing a setting.
  virtual void setStayOnTop(bool onTop) = 0;              // the main window topmost or not, at once
  virtual void setStatusAutoGetUrl(bool on) = 0;          // the status block's AutoGetIEURL byte
  virtual void setAlarmNewSiteChecked(bool checked) = 0;  // the tray item's check mark
  virtual void restartIdleWatch(int minutes) = 0;
  virtual void stopIdleWatch() = 0;
  // Whether this desktop tells the idle watch about input at all.
  virtual bool idleSourceAvailable() const = 0;

 protected:
  ~ConfigHost() = default;
};

}  // namespace shell
