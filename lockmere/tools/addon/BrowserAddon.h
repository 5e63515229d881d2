#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <optional>
#include <string>
#include <unordered_map>

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
//   - a page whose login fields appear after it has loaded (a password field or
//     a field marked as the user name, put there by script): 0x503 again, at
//     most once a second for each window, under the same condition as a load;
//   - the user's explicit requests, from the extension it loads into the browser
//     (a toolbar button and two context-menu entries): the page's address into
//     LastAddSiteURL, then 0x7FE (log in) or 0x7FC (register).
// The extension's clicks reach us over the DevTools pipe: its service worker calls
// a function that only this program gives it (Runtime.addBinding). Its script in
// the pages says when login fields appear; whether they are new is then seen in
// the pages themselves, from our own world: the login fields of each window are
// marked when its page loads and each time it is reported again.
//
// Create it before the browser starts (the extension is loaded at the start).
class BrowserAddon : public QObject {
  Q_OBJECT
 public:
  static constexpr const char* kBindingName = "lockmereAddon";
  // A window is reported again at most this often.
  static constexpr qint64 kReportAgainAfterMs = 1000;

  explicit BrowserAddon(cdp::Browser& browser, std::string extensionDir = defaultExtensionDir(),
                        std::string statusBlockName = platform::StatusBlock::defaultName(), QObject* parent = nullptr);

  // The extension's folder beside the program ("addon"), in the build tree and installed.
  static std::string defaultExtensionDir();

 private:
  struct Page {
    bool loaded = false;        // its load has been seen (and reported)
    qint64 reportedAt = -1;     // when it was last reported again (clock_)
    bool checkPending = false;  // a look is due when the second is over
  };

  void pageLoaded(quint32 window);
  void pageNavigated(quint32 window);
  void windowGone(quint32 window);
  void request(const QString& payload);
  void fieldsAppeared();
  void lookAgain(quint32 window);
  bool reporting();
  void report(std::uint32_t message, quint32 window);

  cdp::Browser& browser_;
  platform::StatusBlockReader status_;
  std::unordered_map<quint32, Page> pages_;
  QElapsedTimer clock_;
};

}  // namespace addon
