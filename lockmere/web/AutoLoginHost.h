#pragma once

#include <QString>
#include <optional>
#include <string>

#include "lockmere/store/SiteModel.h"
#include "lockmere/web/PageAccess.h"
#include "lockmere/web/TwoStepLogin.h"
#include "lockmere/web/cdp/Frame.h"
#include "lockmere/web/cdp/PageTarget.h"
#include "platform/WindowMessages.h"

namespace web {

// A login that waits for the user: what the confirmation window (login type 3)
// or the fingerprint login window (type 4) gets to fill the page once the user
// is confirmed (with FillLoginPage or FillAndSubmit below).
struct PendingLogin {
  BrowserRef browser;                       // the browser window
  platform::WindowHandle browserWindow;     // its handle (messages 0x4FA and 0x4FD name it)
  cdp::Frame frame;                         // the document window that holds the site's fields
  store::TRegSiteCollItem* site;            // the matched site; the user may delete it meanwhile:
                                            // find it again by its ID before filling
  int siteId;                               // site->ID()
  std::string formName;                     // LoginFormName(browserWindow)
  std::string pageTitle;                    // the page's title (type 4's popup names the site)
  std::optional<cdp::WindowBounds> bounds;  // where the browser window is (type 3 centres over it)
  std::shared_ptr<SecondStep> secondStep;   // the page is the first of a two-step login (else null)
};

// What the confirmation and fingerprint login windows do once the user is
// confirmed: fill the page (and submit it, for FillAndSubmit) as the functions
// of PageAccess.h do. On the first page of a two-step login (only the ID field)
// this also lets the password page that follows be filled and submitted
// without asking the user again.
void FillLoginPage(const PendingLogin& login, const store::TRegSiteCollItem& site);
void FillAndSubmit(const PendingLogin& login, const store::TRegSiteCollItem& site);

// What the automatic login needs of the main window. The main window implements
// it and wires the browser messages to AutoLogin:
//   0x503 -> AutoLogin::LoginOnBrowserWindow(wParam)
//   0x7FE -> AutoLogin::LoginRequest()
//   0x4FA, 0x4FD -> its own forms and popup of that browser window
class AutoLoginHost {
 public:
  virtual ~AutoLoginHost() = default;

  // A user's store is open.
  virtual bool loggedIn() const = 0;
  // The live list of registered sites.
  virtual store::TRegSiteList& registeredSites() = 0;
  // The setting AutoLoginRetryTime, in seconds.
  virtual int autoLoginRetryTime() const = 0;
  // The upper-case address of the page on which a site was last matched.
  virtual std::string lastLoginAddress() const = 0;
  virtual void setLastLoginAddress(const std::string& address) = 0;

  // Login type 3: the confirmation window there is goes first (also when the
  // page then turns out to have no fields); then one in site mode named
  // login.formName is created, centred over login.bounds, shown and brought to
  // the front. On success it fills with FillLoginPage(login, site), submits and
  // closes. If creating it fails, it is freed. For a two-step login it is
  // opened once, on the ID's page.
  virtual void freeConfirmLogin() = 0;
  virtual void openConfirmLogin(const PendingLogin& login) = 0;
  // Login type 4: the same for the fingerprint login window. On a match it fills
  // with FillLoginPage(login, site) and submits.
  virtual void freeFingerprintLogin() = 0;
  virtual void openFingerprintLogin(const PendingLogin& login) = 0;

  // For the log-in request from the browser (message 0x7FE):
  virtual bool fingerprintLoginOpen() const = 0;
  // When a confirmation window exists: makes it top-most, brings it to the front
  // and answers true.
  virtual bool raiseConfirmLogin() = 0;
  // The new-site notification is showing.
  virtual bool newSiteNoticePending() const = 0;
  // The site registration window is open.
  virtual bool registrationFormOpen() const = 0;
  // Drops the forms and the popup of a browser window (as message 0x4FD) and
  // lets pending messages run.
  virtual void dropBrowserForms(platform::WindowHandle browserWindow) = 0;
  // The new-site offer for an unregistered page; its code (-2: the page has no
  // login form).
  virtual int offerNewSite(const BrowserRef& browser, platform::WindowHandle browserWindow) = 0;
  // A message box of the program (when a page cannot show an alert).
  virtual void showMessage(const QString& text) = 0;
};

}  // namespace web
