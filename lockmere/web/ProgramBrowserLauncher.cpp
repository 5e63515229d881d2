#include "lockmere/web/ProgramBrowserLauncher.h"

#include <string>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/web/cdp/PageTarget.h"

namespace web {

void ProgramBrowserLauncher::openInNewWindow(const QString& url) {
  browser_.openWindow(url.toStdString())->bringToFront();
}

void ProgramBrowserLauncher::postInNewWindow(const QString& url, const QByteArray& formBody) {
  auto window = browser_.openWindow("about:blank");
  window->bringToFront();
  // The body may hold a password: our copy is wiped once it is sent.
  std::string body(formBody.constData(), static_cast<std::size_t>(formBody.size()));
  try {
    window->navigatePost(url.toStdString(), body);
  } catch (...) {
    crypto::wipe(body);
    throw;
  }
  crypto::wipe(body);
}

}  // namespace web
