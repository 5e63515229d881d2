#include "lockmere/web/AutoLogin.h"

#include <QString>
#include <chrono>
#include <thread>

#include "lockmere/texts/StringTable.h"
#include "lockmere/web/InputTypes.h"
#include "lockmere/web/SiteMatch.h"
#include "lockmere/web/cdp/AutomationError.h"
#include "platform/Registry.h"

namespace web {
namespace {

using cdp::AutomationError;

constexpr const char* kMainKey = "\\Software\\Veradynics\\Lockmere";
constexpr const char* kLastAddSiteUrl = "LastAddSiteURL";

const std::string& topDocumentScript() {
  static const std::string s =
      std::string("function() { return { html: ") + kIsHtmlDocument + ", url: location.href }; }";
  return s;
}
constexpr const char* kLocation = "function() { return location.href; }";

void dropTrailingSlash(std::string& s) {
  if (!s.empty() && s.back() == '/') s.pop_back();
}

// The requested address, taken out of the registry (it is meant for one request).
std::string takeRequestedAddress() {
  platform::Registry registry(platform::Registry::CurrentUser);
  auto key = registry.openKey(kMainKey);
  if (!key) return {};
  auto value = key.value().readString(kLastAddSiteUrl);
  if (!value) return {};
  key.value().deleteValue(kLastAddSiteUrl);
  return value.value();
}

}  // namespace

void AutoLogin::AutoLoginOnPage(const BrowserRef& browser, platform::WindowHandle browserWindow, int& code) {
  code = kNoSiteMatched;
  if (!browser) return;
  // The top document and its address come in one read; an address that cannot
  // be read separately (kAddressError) does not arise.
  std::string address;
  try {
    const QJsonValue top = browser->mainFrame().call(topDocumentScript());
    if (!top["html"].toBool()) return;
    address = top["url"].toString().toStdString();
  } catch (const AutomationError&) {
    code = kDocumentError;
    return;
  }
  const std::string searched = KeywordSearchAddress(address);
  store::TRegSiteCollection& sites = host_.registeredSites().RegSites();
  for (int i = sites.count() - 1; i >= 0; --i) {
    store::TRegSiteCollItem& site = sites.at(i);
    if (site.LoginType == store::kLoginByScript || !KeywordMatches(site, searched)) continue;
    host_.setLastLoginAddress(UpperCase(address));
    std::optional<cdp::Frame> frame;
    switch (site.LoginType) {
      case store::kLoginManual:
        code = kSiteHandled;
        return;
      case store::kLoginAutomatic:
        if (!findFrame(browser, site, frame)) {
          code = kFieldsNotFound;
          return;
        }
        loginAutomatically(browser, *frame, site);
        code = kSiteHandled;
        return;
      case store::kLoginAfterConfirmation:
        host_.freeConfirmLogin();
        if (!findFrame(browser, site, frame)) {
          code = kFieldsNotFound;
          return;
        }
        host_.openConfirmLogin(pendingLogin(browser, browserWindow, *frame, site, true, false));
        code = kSiteHandled;
        return;
      case store::kLoginWithFingerprint:
        host_.freeFingerprintLogin();
        if (!findFrame(browser, site, frame)) {
          code = kFieldsNotFound;
          return;
        }
        host_.openFingerprintLogin(pendingLogin(browser, browserWindow, *frame, site, false, true));
        BringToFront(browser);
        code = kSiteHandled;
        return;
      default:
        break;  // an unknown login type: the next site may match
    }
  }
}

bool AutoLogin::findFrame(const BrowserRef& browser, store::TRegSiteCollItem& site, std::optional<cdp::Frame>& frame) {
  if (browser->isClosed()) return false;
  const cdp::Frame top = browser->mainFrame();
  return site.ID_Name.empty() ? FindFrameByPosition(top, frame, site) : FindFrameBySiteNames(top, site, frame);
}

void AutoLogin::loginAutomatically(const BrowserRef& browser, const cdp::Frame& frame, store::TRegSiteCollItem& site) {
  // Shown in front so that the user sees the page being logged into. The keys go
  // to the page itself, so they need no window in front to reach it.
  BringToFront(browser);
  FillLoginPage(frame, site);
  const double now = DateTimeNow();
  const long long seconds = SecondsBetween(now, site.LastAutoLogin);
  try {
    browser->pressKey(cdp::Key::End);
  } catch (const AutomationError&) {
  }
  // Within the retry time the page is filled but not submitted: a login page that
  // comes back after a failed login is not submitted again and again.
  if (seconds > host_.autoLoginRetryTime() || site.LastAutoLogin == 0) {
    try {
      browser->pressKey(cdp::Key::Enter);
      site.LastAutoLogin = now;
    } catch (const AutomationError&) {
    }
  }
}

PendingLogin AutoLogin::pendingLogin(const BrowserRef& browser, platform::WindowHandle window, const cdp::Frame& frame,
                                     store::TRegSiteCollItem& site, bool withBounds, bool withTitle) {
  PendingLogin login{browser, window, frame, &site, site.ID(), LoginFormName(window), {}, std::nullopt};
  try {
    if (withBounds) login.bounds = browser->bounds();
    if (withTitle) login.pageTitle = browser->currentInfo().title;
  } catch (const AutomationError&) {
  }
  return login;
}

void AutoLogin::LoginOnBrowserWindow(platform::WindowHandle browserWindow) {
  if (!host_.loggedIn()) return;
  BrowserRef browser;
  if (!GetBrowserFromServerWindow(browser_, browserWindow, browser)) return;
  int code = kNoSiteMatched;
  AutoLoginOnPage(browser, browserWindow, code);
  if (code == kNoSiteMatched && !host_.registrationFormOpen()) host_.offerNewSite(browser, browserWindow);
}

void AutoLogin::LoginRequest() {
  if (!host_.loggedIn()) return;
  std::string requested = takeRequestedAddress();

  // A repeated request for the page a login window is already open for.
  const std::string last = host_.lastLoginAddress();
  if (!last.empty() && UpperCase(requested).rfind(UpperCase(last), 0) == 0) {
    if (host_.fingerprintLoginOpen() || host_.raiseConfirmLogin() || host_.newSiteNoticePending()) return;
  }

  if (requested.empty()) return;
  dropTrailingSlash(requested);
  BrowserRef browser;
  platform::WindowHandle window = 0;
  if (!FindTopBrowser(browser_, browser, window)) return;
  std::string location;
  try {
    location = browser->mainFrame().call(kLocation).toString().toStdString();
  } catch (const AutomationError&) {
    return;
  }
  dropTrailingSlash(location);
  if (location != requested) return;  // the request was for another page

  host_.dropBrowserForms(window);
  if (browser->isClosed()) return;
  host_.setLastLoginAddress(requested);
  int code = kNoSiteMatched;
  AutoLoginOnPage(browser, window, code);
  if (code == kFieldsNotFound) {
    alert(browser, 38, 37);
  } else if (code == kNoSiteMatched) {
    if (host_.offerNewSite(browser, window) == -2) alert(browser, 38, 39);
  }
}

void AutoLogin::alert(const BrowserRef& browser, int first, int second) {
  const QString a = texts::M(first);
  const QString b = texts::M(second);
  if (!ShowPageAlert(browser, (a + "\n\n" + b).toStdString())) host_.showMessage(a + "\r\n\r\n" + b);
}

}  // namespace web
