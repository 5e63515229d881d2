#pragma once

#include "lockmere/web/AutoLoginHost.h"
#include "lockmere/web/PageAccess.h"
#include "lockmere/web/TwoStepLogin.h"
#include "lockmere/web/cdp/Browser.h"

namespace web {

// Result codes of AutoLoginOnPage.
enum AutoLoginCode : int {
  kNoSiteMatched = -1,   // also: the page shows no HTML document
  kSiteHandled = 0,      // filled and submitted, a window opened, or nothing to do
  kDocumentError = -2,   // reading the document failed
  kAddressError = -3,    // reading the address failed
  kFieldsNotFound = -4,  // a site matched but its fields are not on the page
};

// Logging into registered sites on the pages of the program's browser.
class AutoLogin {
 public:
  AutoLogin(cdp::Browser& browser, AutoLoginHost& host) : browser_(browser), host_(host) {}

  // Matches the page with the registered sites (later ones first) and logs in
  // as the matched site's login type says. A page that shows only the site's ID
  // field (the first page of a two-step login) gets the ID filled and submitted
  // under the login type's rules; the site's password page that then follows in
  // the same window is filled and submitted without asking again.
  void AutoLoginOnPage(const BrowserRef& browser, platform::WindowHandle browserWindow, int& code);

  // Message 0x503: log in on that browser window; an unregistered page is
  // offered for registration (without any alert).
  void LoginOnBrowserWindow(platform::WindowHandle browserWindow);

  // Message 0x7FE: the user asked, from the browser, to log in on the page whose
  // address is in LastAddSiteURL. When nothing can be done the page says why.
  void LoginRequest();

  // Logout: two-step logins under way end here, so that a password page is never
  // filled with a site of whoever logs in next.
  void LoggedOut() { twoStep_.clear(); }

 private:
  // Login types 1, 3 and 4 on a matched site's page; the code.
  int loginByType(const BrowserRef& browser, platform::WindowHandle window, store::TRegSiteCollItem& site);
  void loginAutomatically(const BrowserRef& browser, platform::WindowHandle window, const cdp::Frame& frame,
                          store::TRegSiteCollItem& site, bool idOnly);
  void openLoginWindow(const BrowserRef& browser, platform::WindowHandle window, const cdp::Frame& frame,
                       store::TRegSiteCollItem& site, bool idOnly);
  bool findFrame(const BrowserRef& browser, store::TRegSiteCollItem& site, std::optional<cdp::Frame>& frame);
  PendingLogin pendingLogin(const BrowserRef& browser, platform::WindowHandle window, const cdp::Frame& frame,
                            store::TRegSiteCollItem& site, bool withBounds, bool withTitle);
  void alert(const BrowserRef& browser, int first, int second);

  cdp::Browser& browser_;
  AutoLoginHost& host_;
  TwoStepLogins twoStep_;
};

}  // namespace web
