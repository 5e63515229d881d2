#include "lockmere/tools/addon/BrowserAddon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include "lockmere/web/cdp/AutomationError.h"
#include "platform/Registry.h"
#include "platform/WindowMessages.h"
#include "platform/bus/MessageBus.h"

namespace addon {

BrowserAddon::BrowserAddon(cdp::Browser& browser, std::string extensionDir, std::string statusBlockName,
                           QObject* parent)
    : QObject(parent), browser_(browser), status_(std::move(statusBlockName)) {
  browser_.setExtensionDir(extensionDir);
  browser_.setWorkerBinding(kBindingName);
  connect(&browser_, &cdp::Browser::pageLoaded, this, [this](quint32 window, const QString&) { pageLoaded(window); });
  connect(&browser_, &cdp::Browser::pageNavigated, this,
          [this](quint32 window, const QString&) { windowGone(window); });
  connect(&browser_, &cdp::Browser::windowClosed, this, &BrowserAddon::windowGone);
  connect(&browser_, &cdp::Browser::workerMessage, this, &BrowserAddon::request);
}

std::string BrowserAddon::defaultExtensionDir() {
  const QString here = QCoreApplication::applicationDirPath();
  for (const QString& dir : {here + "/addon", here + "/../share/lockmere/addon"})
    if (QFileInfo::exists(dir + "/manifest.json")) return QDir(dir).canonicalPath().toStdString();
  return (here + "/addon").toStdString();
}

void BrowserAddon::pageLoaded(quint32 window) {
  const auto s = status_.read();
  if (s && s->windowHandle && s->loggedIn && s->autoGetUrl)
    platform::MessageBus::post(s->windowHandle, platform::msg::kLoginOnBrowser, window);
}

void BrowserAddon::windowGone(quint32 window) {
  const auto s = status_.read();
  if (s && s->windowHandle && s->loggedIn)
    platform::MessageBus::post(s->windowHandle, platform::msg::kBrowserGone, window);
}

void BrowserAddon::request(const QString& payload) {
  const QJsonObject r = QJsonDocument::fromJson(payload.toUtf8()).object();
  const QString kind = r.value("kind").toString();
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
