#pragma once

#include <QString>
#include <functional>

#include "lockmere/web/PageAccess.h"
#include "platform/WindowMessages.h"

namespace web {

class RegistrationHost;

// Codes of OfferNewSite.
enum NewSiteOfferCode : int {
  kOffered = 0,            // offered, or nothing to do
  kAlarmNewSiteOff = -1,   // the user does not want to be told
  kNoLoginFormOnPage = -2  // the page has no password field in a form
};

// The offer to register an unregistered login page: its form is captured into
// the list of detected sites and a notification says that a click registers it.
// A click opens the site form on the captured record (message 0x7EA to the main
// window); a notification that slides away unclicked takes the record with it.
class NewSiteOffer {
 public:
  static constexpr int kTimeOut = 5;  // seconds
  static constexpr int kWidth = 240;
  static constexpr std::uint32_t kGradientColor1 = 12309935;  // RGB AF D5 BB
  static constexpr std::uint32_t kGradientColor2 = 15530215;  // RGB E7 F8 EC
  static constexpr int kTitleLength = 30;                     // characters of the page title shown

  // keepRecord tells whether a detected record is shown in the site form (a
  // notification closing then does not delete it).
  NewSiteOffer(RegistrationHost& host, std::function<bool(int siteId)> keepRecord);

  void OfferNewSite(const BrowserRef& browser, platform::WindowHandle browserWindow, int& code);

  // The notification's text for a page of this title.
  static QString PopupText(const QString& pageTitle);

 private:
  void PopupClick(int siteId, platform::WindowHandle browserWindow);
  void PopupClose(int siteId);

  RegistrationHost& host_;
  std::function<bool(int)> keepRecord_;
};

}  // namespace web
