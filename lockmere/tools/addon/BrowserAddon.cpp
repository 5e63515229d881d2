#include "lockmere/tools/addon/BrowserAddon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include "lockmere/web/FieldScripts.h"
#include "lockmere/web/cdp/AutomationError.h"
#include "platform/Registry.h"
#include "platform/WindowMessages.h"
#include "platform/bus/MessageBus.h"

namespace addon {
namespace {

// Marks the document's login fields (password fields and fields marked as the
// user name, in open shadow roots too) in our world, where the page cannot see
// the marks; how many were not marked before.
const std::string& markLoginFieldsScript() {
  static const std::string s = web::FieldFunction("", R"JS(
  if (!window.lockmereLoginFields) window.lockmereLoginFields = new WeakSet();
  const seen = window.lockmereLoginFields;
  let fresh = 0;
  for (const e of fields()) {
    if (!isPassword(e) && !(isTextLike(e) && says(e) === 'username')) continue;
    if (!seen.has(e)) fresh++;
    seen.add(e);
  }
  return fresh;
)JS");
  return s;
}

// New login fields in the window's documents (its frames too), marked now.
int markLoginFields(const cdp::Frame& window) {
  int fresh = 0;
  try {
    fresh = window.call(markLoginFieldsScript()).toInt();
    for (const cdp::Frame& child : window.childFrames()) fresh += markLoginFields(child);
  } catch (const cdp::AutomationError&) {
  }
  return fresh;
}

}  // namespace

BrowserAddon::BrowserAddon(cdp::Browser& browser, std::string extensionDir, std::string statusBlockName,
                           QObject* parent)
    : QObject(parent), browser_(browser), status_(std::move(statusBlockName)) {
  browser_.setExtensionDir(extensionDir);
  browser_.setWorkerBinding(kBindingName);
  connect(&browser_, &cdp::Browser::pageLoaded, this, [this](quint32 window, const QString&) { pageLoaded(window); });
  connect(&browser_, &cdp::Browser::pageNavigated, this,
          [this](quint32 window, const QString&) { pageNavigated(window); });
  connect(&browser_, &cdp::Browser::windowClosed, this, &BrowserAddon::windowGone);
  connect(&browser_, &cdp::Browser::workerMessage, this, &BrowserAddon::request);
  clock_.start();
}

std::string BrowserAddon::defaultExtensionDir() {
  // Installed beside the program too (lib/lockmere/addon), never above it.
  const QString dir = QCoreApplication::applicationDirPath() + "/addon";
  if (QFileInfo::exists(dir + "/manifest.json")) return QDir(dir).canonicalPath().toStdString();
  return dir.toStdString();
}

bool BrowserAddon::reporting() {
  const auto s = status_.read();
  return s && s->windowHandle && s->loggedIn && s->autoGetUrl;
}

void BrowserAddon::report(std::uint32_t message, quint32 window) {
  if (const auto s = status_.read(); s && s->windowHandle) platform::MessageBus::post(s->windowHandle, message, window);
}

void BrowserAddon::pageLoaded(quint32 window) {
  pages_[window].loaded = true;
  if (!reporting()) return;
  // What the page holds now is reported with its load.
  if (auto w = browser_.window(window)) markLoginFields(w->mainFrame());
  report(platform::msg::kLoginOnBrowser, window);
}

void BrowserAddon::pageNavigated(quint32 window) {
  pages_[window].loaded = false;
  windowGone(window);
}

void BrowserAddon::windowGone(quint32 window) {
  if (!browser_.window(window)) pages_.erase(window);
  const auto s = status_.read();
  if (s && s->windowHandle && s->loggedIn) report(platform::msg::kBrowserGone, window);
}

void BrowserAddon::fieldsAppeared() {
  // The extension does not say which window: each is looked at, and only one
  // with new login fields is reported.
  for (const auto& w : browser_.windows()) lookAgain(w->handle());
}

void BrowserAddon::lookAgain(quint32 window) {
  auto it = pages_.find(window);
  if (it == pages_.end() || !it->second.loaded || it->second.checkPending) return;
  Page& page = it->second;
  const qint64 since = clock_.elapsed() - page.reportedAt;
  if (page.reportedAt >= 0 && since < kReportAgainAfterMs) {
    page.checkPending = true;
    QTimer::singleShot(kReportAgainAfterMs - since, this, [this, window] {
      if (auto p = pages_.find(window); p != pages_.end()) p->second.checkPending = false;
      lookAgain(window);
    });
    return;
  }
  auto w = browser_.window(window);
  if (!w || !reporting() || markLoginFields(w->mainFrame()) == 0) return;
  page.reportedAt = clock_.elapsed();
  report(platform::msg::kLoginOnBrowser, window);
}

void BrowserAddon::request(const QString& payload) {
  const QJsonObject r = QJsonDocument::fromJson(payload.toUtf8()).object();
  const QString kind = r.value("kind").toString();
  if (kind == "fields") {
    fieldsAppeared();
    return;
  }
  const std::string url = r.value("url").toString().toStdString();
  if (url.empty() || (kind != "login" && kind != "register")) return;
  const auto s = status_.read();
  if (!s || !s->windowHandle) return;  // Lockmere is not running

  // The request comes from the window the user has in front: the one that shows
  // the page (the top one, unless it shows another address).
  auto top = browser_.topWindow();
  if (!top || top->url() != url) {
    for (const auto& w : browser_.windows()) {
      if (w->url() != url) continue;
      try {
        w->bringToFront();
      } catch (const cdp::AutomationError&) {
      }
      break;
    }
  }
  platform::Registry registry(platform::Registry::CurrentUser);
  auto key = registry.createKey("\\Software\\Veradynics\\Lockmere");
  if (!key || !key.value().writeString("LastAddSiteURL", url)) return;
  platform::MessageBus::post(s->windowHandle,
                             kind == "login" ? platform::msg::kLoginRequest : platform::msg::kRegisterRequest);
}

}  // namespace addon
