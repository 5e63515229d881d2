#pragma once

#include <QByteArray>
#include <QString>

namespace web {

// Opens pages in the program's own browser. The site tree is handed one; the
// browser side implements it over the DevTools protocol. Errors (a browser that
// cannot be started, a window that cannot be made) are thrown as exceptions
// derived from std::exception; the callers that must not fail catch them.
class BrowserLauncher {
 public:
  virtual ~BrowserLauncher() = default;

  // A new browser window on url, brought to the front. Never a window that is
  // already open.
  virtual void openInNewWindow(const QString& url) = 0;

  // A new browser window, brought to the front, that navigates to url with a
  // POST request: Content-Type application/x-www-form-urlencoded and formBody
  // as the request body, byte for byte (nothing appended). formBody may hold a
  // password: the implementation keeps it no longer than the request needs.
  virtual void postInNewWindow(const QString& url, const QByteArray& formBody) = 0;
};

}  // namespace web
