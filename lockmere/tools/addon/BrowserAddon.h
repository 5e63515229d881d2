#pragma once

#include <QObject>
#include <QString>
#include <optional>
#include <string>

#include "lockmere/web/cdp/Browser.h"
#include "platform/StatusBlock.h"
#include "platform/StatusBlockReader.h"

namespace addon {

// The browser add-on's stand-in. It follows the program's browser and, like the
// design's add-on, learns from the shared status block where Lockmere's main
// window is and whether to report pages:
//   - a top-level page that finished loading: 0x503 with the browser window,
//     while a user is logged in with AutoGetIEURL set;
//   - a window that closed or navigated away: 0x4FA with the browser window,
//     while a user is logged in;
//   - the user's explicit requests, from the extension it loads into the browser
//     (a toolbar button and two context-menu entries): the page's address into
//     LastAddSiteURL, then 0x7FE (log in) or 0x7FC (register).
// The extension's clicks reach us over the DevTools pipe: its service worker calls
// a function that only this program gives it (Runtime.addBinding).
//
// Create it before the browser starts (the extension is loaded at the start).
class BrowserAddon : public QObject {
  Q_OBJECT
 public:
  static constexpr const char* kBindingName = "lockmereAddon";

  explicit BrowserAddon(cdp::Browser& browser, std::string extensionDir = defaultExtensionDir(),
                        std::string statusBlockName = platform::StatusBlock::defaultName(), QObject* parent = nullptr);

  // The extension's folder beside the program ("addon"), or where it is installed.
  static std::string defaultExtensionDir();

 private:
  void pageLoaded(quint32 window);
  void windowGone(quint32 window);
  void request(const QString& payload);

  cdp::Browser& browser_;
  platform::StatusBlockReader status_;
};

}  // namespace addon
