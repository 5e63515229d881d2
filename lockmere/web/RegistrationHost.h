#pragma once

#include <QString>
#include <string>

#include "lockmere/store/SiteModel.h"
#include "platform/WindowMessages.h"

class QWidget;

namespace widgets {
class TMSNPopUp;
}

namespace web {

class TExplorerFrame;

// What the registration of sites needs of the main window. The main window
// implements it next to AutoLoginHost (the members both declare have the same
// signatures, so one implementation serves both) and wires its messages to
// SiteRegistration:
//   0x7EA -> SiteRegistration::AddSiteMessage(wParam, lParam)
//   0x7FC -> SiteRegistration::RegisterRequest()
//   AutoLoginHost::offerNewSite -> SiteRegistration::OfferNewSite
//   AutoLoginHost::registrationFormOpen -> SiteRegistration::isFormOpen
class RegistrationHost {
 public:
  virtual ~RegistrationHost() = default;

  // A user's store is open; nothing is offered or opened otherwise.
  virtual bool loggedIn() const = 0;
  // The live list of registered sites and the never-stored list of sites
  // captured from pages.
  virtual store::TRegSiteList& registeredSites() = 0;
  virtual store::TRegSiteList& detectedSites() = 0;
  // The site tree: the form lists its folders, files new sites in it and
  // refreshes its details.
  virtual TExplorerFrame& explorer() = 0;
  // Saves the store in the tree's order (as the tree's own changes are saved);
  // the main window reports a failure itself.
  virtual bool saveStore() = 0;
  // The logged-in user's ID (the user's registry key is named after it).
  virtual std::string userId() const = 0;

  // The user's settings, as read at login.
  virtual bool useDefaultLoginType() const = 0;
  virtual int defaultLoginType() const = 0;
  virtual bool lockPassword() const = 0;
  virtual bool alarmNewSite() const = 0;
  // The setting and the tray entry's tick mark.
  virtual void setAlarmNewSite(bool on) = 0;

  // The address of the last accepted register request.
  virtual std::string lastRegisterAddress() const = 0;
  virtual void setLastRegisterAddress(const std::string& address) = 0;
  // The new-site notification is showing (the automatic login reads it too).
  virtual bool newSiteNoticePending() const = 0;
  virtual void setNewSiteNoticePending(bool pending) = 0;

  // The main window's handle on the message bus: 0x7EA and 0x503 are posted there.
  virtual platform::WindowHandle mainWindowHandle() const = 0;
  // The main window's notification popup (also closed by 0x4FA and at logout).
  virtual widgets::TMSNPopUp& popup() = 0;
  // The owner of the site form.
  virtual QWidget* mainWindow() = 0;
  // A message box of the program (when a page cannot show an alert).
  virtual void showMessage(const QString& text) = 0;
};

}  // namespace web
