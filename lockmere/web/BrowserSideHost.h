#pragma once

#include <QString>

#include "lockmere/store/SiteModel.h"
#include "lockmere/store/UserSettings.h"
#include "platform/WindowMessages.h"

class QWidget;

namespace users {
class SessionHost;
}

namespace widgets {
class TMSNPopUp;
}

namespace web {

class TExplorerFrame;

// What the browser side needs of the main window, which owns a BrowserSide,
// implements this and outlives it. Everything is asked for when it is needed:
// the lists and the settings are the logged-in user's and change at each login.
class BrowserSideHost {
 public:
  virtual ~BrowserSideHost() = default;

  // A user's store is open; the browser messages do nothing otherwise.
  virtual bool loggedIn() const = 0;
  // For the confirmation and fingerprint login windows of a site (the user ID,
  // the user's template records, the keys).
  virtual users::SessionHost& sessionHost() = 0;
  // The user's settings as read at login. AlarmNewSite is changed here by the
  // tray entry; ALIEClose is read after an automatic logout, so the main window
  // keeps the user's values until the next login.
  virtual store::UserSettings& settings() = 0;

  // The session's live site list and its never-stored list of detected sites.
  virtual store::TRegSiteList& registeredSites() = 0;
  virtual store::TRegSiteList& detectedSites() = 0;
  // The site tree (the site form lists its folders and files new sites in it).
  virtual TExplorerFrame& explorer() = 0;
  // Saves the store in the tree's order; the main window reports a failure.
  virtual bool saveStore() = 0;

  // The main window's notification popup (the new-site notice).
  virtual widgets::TMSNPopUp& popup() = 0;
  // The main window: the owner of the site form and the confirmation window.
  virtual QWidget* mainWindow() = 0;
  // Its handle on the message bus: 0x7EA and 0x503 are posted there and must
  // reach BrowserSide::handleMessage.
  virtual platform::WindowHandle mainWindowHandle() const = 0;
  // A message box of the program.
  virtual void showMessage(const QString& text) = 0;
  // The tray entry "새 사이트 알림 메세지 표시": its tick mark.
  virtual void setAlarmNewSiteChecked(bool checked) = 0;
};

}  // namespace web
