#include "lockmere/web/AutoLogin.h"

#include <QString>
#include <chrono>
#include <thread>

#include "lockmere/texts/StringTable.h"
#include "lockmere/web/InputTypes.h"
#include "lockmere/web/RequestedAddress.h"
#include "lockmere/web/SiteMatch.h"
#include "lockmere/web/cdp/AutomationError.h"

namespace web {
namespace {

using cdp::AutomationError;

const std::string& topDocumentScript() {
  static const std::string s =
      std::string("function() { return { html: ") + kIsHtmlDocument + ", url: location.href }; }";
  return s;
}
constexpr const char* kLocation = "function() { return location.href; }";

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
    switch (site.LoginType) {
      case store::kLoginManual:
        code = kSiteHandled;
        return;
      case store::kLoginAutomatic:
      case store::kLoginAfterConfirmation:
      case store::kLoginWithFingerprint:
        code = loginByType(browser, browserWindow, site);
        return;
      default:
        break;  // an unknown login type: the next site may match
    }
  }
}

int AutoLogin::loginByType(const BrowserRef& browser, platform::WindowHandle window, store::TRegSiteCollItem& site) {
  if (site.LoginType == store::kLoginAfterConfirmation) host_.freeConfirmLogin();
  if (site.LoginType == store::kLoginWithFingerprint) host_.freeFingerprintLogin();
  std::optional<cdp::Frame> frame;
  const bool secondStep = twoStep_.armed(window, site.ID());
  const bool found =
      findFrame(browser, site, frame) || (secondStep && FindPasswordFrame(browser->mainFrame(), site, frame));
  if (found && secondStep) {
    // The password page of a two-step login whose ID this login type has
    // already submitted: no second question, no retry time.
    twoStep_.finish(window);
    FillAndSubmit(browser, *frame, site);
    return kSiteHandled;
  }
  const bool idOnly = !found && !browser->isClosed() && FindIdOnlyFrame(browser->mainFrame(), site, frame);
  if (!found && !idOnly) return kFieldsNotFound;
  if (site.LoginType == store::kLoginAutomatic)
    loginAutomatically(browser, window, *frame, site, idOnly);
  else
    openLoginWindow(browser, window, *frame, site, idOnly);
  return kSiteHandled;
}

bool AutoLogin::findFrame(const BrowserRef& browser, store::TRegSiteCollItem& site, std::optional<cdp::Frame>& frame) {
  if (browser->isClosed()) return false;
  const cdp::Frame top = browser->mainFrame();
  return site.ID_Name.empty() ? FindFrameByPosition(top, frame, site) : FindFrameBySiteNames(top, site, frame);
}

void AutoLogin::loginAutomatically(const BrowserRef& browser, platform::WindowHandle window, const cdp::Frame& frame,
                                   store::TRegSiteCollItem& site, bool idOnly) {
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
  // Within the retry time after an automatic login the page is filled but not
  // submitted: a login page that comes back after a failed login is not
  // submitted again and again. For a two-step login the ID's page counts.
  if (seconds > host_.autoLoginRetryTime() || site.LastAutoLogin == 0) {
    try {
      if (idOnly) twoStep_.begin(window, site.ID())->arm();
      browser->pressKey(cdp::Key::Enter);
      site.LastAutoLogin = now;
    } catch (const AutomationError&) {
    }
  }
}

void AutoLogin::openLoginWindow(const BrowserRef& browser, platform::WindowHandle window, const cdp::Frame& frame,
                                store::TRegSiteCollItem& site, bool idOnly) {
  const bool confirm = site.LoginType == store::kLoginAfterConfirmation;
  PendingLogin login = pendingLogin(browser, window, frame, site, confirm, !confirm);
  if (idOnly) login.secondStep = twoStep_.begin(window, site.ID());
  if (confirm) {
    host_.openConfirmLogin(login);
  } else {
    host_.openFingerprintLogin(login);
    BringToFront(browser);
  }
}

PendingLogin AutoLogin::pendingLogin(const BrowserRef& browser, platform::WindowHandle window, const cdp::Frame& frame,
                                     store::TRegSiteCollItem& site, bool withBounds, bool withTitle) {
  PendingLogin login{browser, window, frame, &site, site.ID(), LoginFormName(window), {}, std::nullopt, nullptr};
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
  std::string requested = TakeRequestedAddress();

  // A repeated request for the page a login window is already open for.
  const std::string last = host_.lastLoginAddress();
  if (!last.empty() && UpperCase(requested).rfind(UpperCase(last), 0) == 0) {
    if (host_.fingerprintLoginOpen() || host_.raiseConfirmLogin() || host_.newSiteNoticePending()) return;
  }

  if (requested.empty()) return;
  DropTrailingSlash(requested);
  BrowserRef browser;
  platform::WindowHandle window = 0;
  const auto location = [](const BrowserRef& page) {
    return page->mainFrame().call(kLocation).toString().toStdString();
  };
  if (!FindRequestedPage(browser_, requested, location, browser, window)) return;

  host_.dropBrowserForms(window);
  // The pending messages that ran may have closed the page or logged the user out.
  if (browser->isClosed() || !host_.loggedIn()) return;
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

void FillLoginPage(const PendingLogin& login, const store::TRegSiteCollItem& site) {
  // The user is confirmed for both pages of a two-step login.
  if (login.secondStep) login.secondStep->arm();
  FillLoginPage(login.frame, site);
}

void FillAndSubmit(const PendingLogin& login, const store::TRegSiteCollItem& site) {
  if (login.secondStep) login.secondStep->arm();
  FillAndSubmit(login.browser, login.frame, site);
}

}  // namespace web
