#pragma once

#include <string>

#include "lockmere/web/PageAccess.h"
#include "lockmere/web/cdp/Browser.h"

namespace web {

class RegistrationHost;

// The site form as the register request sees it.
class SiteFormWindow {
 public:
  virtual ~SiteFormWindow() = default;
  virtual bool isFormOpen() const = 0;
  // Makes the open form top-most and brings it to the front.
  virtual void raiseForm() = 0;
  // Closes the open form as its Cancel button would.
  virtual void closeForm() = 0;
};

// Message 0x7FC: the user asked, from the browser, to register the page whose
// address is in LastAddSiteURL. Its login form is captured and the site form
// opened on it (message 0x7EA); when that cannot be, the page says why.
class RegisterRequest {
 public:
  RegisterRequest(cdp::Browser& browser, RegistrationHost& host, SiteFormWindow& form)
      : browser_(browser), host_(host), form_(form) {}

  void Run();

 private:
  void alert(const BrowserRef& browser, const QString& first, const QString& second = {});

  cdp::Browser& browser_;
  RegistrationHost& host_;
  SiteFormWindow& form_;
};

}  // namespace web
