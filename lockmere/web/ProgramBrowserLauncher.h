#pragma once

#include "lockmere/web/BrowserLauncher.h"
#include "lockmere/web/cdp/Browser.h"

namespace web {

// The site tree's way into the program's own browser: every page opens in a new
// window of it, brought to the front. Browser errors are thrown as
// cdp::AutomationError.
class ProgramBrowserLauncher : public BrowserLauncher {
 public:
  explicit ProgramBrowserLauncher(cdp::Browser& browser) : browser_(browser) {}

  void openInNewWindow(const QString& url) override;
  void postInNewWindow(const QString& url, const QByteArray& formBody) override;

 private:
  cdp::Browser& browser_;
};

}  // namespace web
