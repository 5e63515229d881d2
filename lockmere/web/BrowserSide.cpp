#include "lockmere/web/BrowserSide.h"

#include <QCoreApplication>
#include <QDebug>
#include <QUrl>

#include "lockmere/texts/Language.h"
#include "lockmere/users/SessionHost.h"
#include "lockmere/web/ExplorerFrame.h"
#include "lockmere/widgets/MSNPopUp.h"
#include "lockmere/widgets/MSNPopUpForm.h"
#include "platform/bus/MessageBus.h"

namespace web {
namespace {

QString text(const char* korean, const char* japanese) {
  return QString::fromUtf8(texts::isJapanese() ? japanese : korean);
}

}  // namespace

QString WebAddressToOpen(const QString& address) {
  const QString trimmed = address.trimmed();
  if (trimmed.isEmpty()) return {};
  // A host name alone (with or without a port or path) is taken as http.
  const bool hasScheme = trimmed.contains(QStringLiteral("://"));
  const QUrl url(hasScheme ? trimmed : QStringLiteral("http://") + trimmed, QUrl::TolerantMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
    return {};
  return url.toString(QUrl::FullyEncoded);
}

BrowserSide::BrowserSide(BrowserSideHost& host, BrowserSideOptions options, QObject* parent)
    : QObject(parent),
      host_(host),
      browser_(std::move(options.launch)),
      addon_(browser_, std::move(options.extensionDir), std::move(options.statusBlockName)),
      autoLogin_(browser_, static_cast<AutoLoginHost&>(*this)),
      registration_(browser_, static_cast<RegistrationHost&>(*this)),
      launcher_(browser_),
      windows_(host) {}

BrowserSide::~BrowserSide() {
  windows_.freeAll();
  registration_.closeForm();
}

bool BrowserSide::handleMessage(const platform::Message& m) {
  const auto window = static_cast<platform::WindowHandle>(m.wParam);
  try {
    switch (m.message) {
      case platform::msg::kLoginOnBrowser:
        autoLogin_.LoginOnBrowserWindow(window);
        return true;
      case platform::msg::kLoginRequest:
        autoLogin_.LoginRequest();
        return true;
      case platform::msg::kBrowserGone:
      case platform::msg::kDropBrowserForms:
        dropForms(window);
        return true;
      case platform::msg::kRegisterRequest:
        registration_.RegisterRequest();
        return true;
      case platform::msg::kAddSite:
        registration_.AddSiteMessage(m.wParam, m.lParam);
        return true;
      default:
        return false;
    }
  } catch (const std::exception& e) {
    // The browser's failures are the optional steps' failures: ignored.
    qWarning() << "browser message" << Qt::hex << m.message << "failed:" << e.what();
    return true;
  }
}

bool BrowserSide::openUrl(const QString& address) {
  const QString url = WebAddressToOpen(address);
  if (url.isEmpty()) {
    host_.showMessage(text(kNotAWebAddressKo, kNotAWebAddressJa) + address);
    return false;
  }
  try {
    launcher_.openInNewWindow(url);
    return true;
  } catch (const std::exception& e) {
    qWarning() << "the browser did not open" << url << ":" << e.what();
    host_.showMessage(text(kBrowserFailedKo, kBrowserFailedJa));
    return false;
  }
}

void BrowserSide::loggedIn() {
  lastLoginAddress_.clear();
  lastRegisterAddress_.clear();
  noticePending_ = false;
}

void BrowserSide::loggedOut() {
  registration_.closeForm();
  closeBrowserNotices();
  windows_.freeAll();
  autoLogin_.LoggedOut();
  lastLoginAddress_.clear();
  lastRegisterAddress_.clear();
}

void BrowserSide::idleLogout() {
  if (!host_.settings().ALIEClose) return;
  // The browser lets a close request pass for a window that is just taking a
  // new document (seen right after a login form was submitted), so ask again
  // for what is left.
  for (int round = 0; round < kCloseRounds && !browser_.windows().empty(); ++round) {
    CloseAllBrowserWindows(browser_);
    browser_.waitUntil([this] { return browser_.windows().empty(); }, kCloseWait);
  }
}

void BrowserSide::installTreeHooks() {
  host_.explorer().setBrowserLauncher(&launcher_);
  registration_.installTreeHooks();
}

bool BrowserSide::TrayMenu_AlarmNewSiteClick(QAction* entry) { return registration_.TrayMenu_AlarmNewSiteClick(entry); }

void BrowserSide::dropBrowserForms(platform::WindowHandle browserWindow) {
  dropForms(browserWindow);
  QCoreApplication::processEvents();
}

void BrowserSide::dropForms(platform::WindowHandle browserWindow) {
  if (!host_.loggedIn()) return;
  windows_.freeWindowsOf(browserWindow);
}

void BrowserSide::closeBrowserNotices() {
  // At once and without their close event: the records they would delete go
  // with the session's lists.
  for (widgets::TfrmMSNPopUp* p : host_.popup().popups())
    if (p->properties().IEHandle != 0) platform::MessageBus::send(p->handle(), platform::msg::kClose);
  noticePending_ = false;
}

std::string BrowserSide::userId() const { return host_.sessionHost().currentUserId(); }

void BrowserSide::setAlarmNewSite(bool on) {
  host_.settings().AlarmNewSite = on;
  host_.setAlarmNewSiteChecked(on);
}

int BrowserSide::offerNewSite(const BrowserRef& browser, platform::WindowHandle browserWindow) {
  // The add-on reports a page again when login fields appear in it; a page
  // whose notice is still showing is not offered twice.
  for (const widgets::TfrmMSNPopUp* p : host_.popup().popups())
    if (browserWindow != 0 && p->properties().IEHandle == browserWindow) return kOffered;
  int code = kOffered;
  registration_.OfferNewSite(browser, browserWindow, code);
  return code;
}

}  // namespace web
