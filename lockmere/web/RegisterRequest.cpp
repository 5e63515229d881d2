#include "lockmere/web/RegisterRequest.h"

#include "lockmere/texts/StringTable.h"
#include "lockmere/web/FormCapture.h"
#include "lockmere/web/RegistrationHost.h"
#include "lockmere/web/RequestedAddress.h"
#include "lockmere/web/SiteKeywords.h"
#include "lockmere/web/SiteMatch.h"
#include "lockmere/web/cdp/AutomationError.h"
#include "lockmere/widgets/MSNPopUp.h"
#include "platform/bus/MessageBus.h"

namespace web {
namespace {

bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

void RegisterRequest::Run() {
  if (!host_.loggedIn()) return;
  std::string requested = TakeRequestedAddress();

  // The same page again while its form is open: the user is shown the form.
  const std::string last = host_.lastRegisterAddress();
  if (!last.empty() && startsWith(UpperCase(requested), UpperCase(last)) && form_.isFormOpen()) {
    form_.raiseForm();
    return;
  }

  if (requested.empty()) return;
  DropTrailingSlash(requested);
  BrowserRef browser;
  platform::WindowHandle window = 0;
  const auto location = [](const BrowserRef& page) { return page->currentInfo().url; };
  if (!FindRequestedPage(browser_, requested, location, browser, window)) return;

  if (IsRegisteredAddress(host_.registeredSites(), requested)) {
    alert(browser, texts::M(35));
    return;
  }
  std::optional<Document> document;
  GetDocumentOfWindow(browser->mainFrame(), document);
  if (!document) return;
  std::optional<LoginForm> form;
  std::string frameName;
  if (!FindPasswordForm(document->window(), form, frameName)) {
    alert(browser, texts::M(36), texts::M(37));
    return;
  }
  form_.closeForm();
  host_.popup().ClosePopUpOf(window);
  host_.setLastRegisterAddress(requested);
  const int id = CaptureLoginForm(browser, *form, frameName, host_.detectedSites());
  if (id < 0) return;  // the page went away meanwhile
  platform::MessageBus::post(host_.mainWindowHandle(), platform::msg::kAddSite, id, window);
}

void RegisterRequest::alert(const BrowserRef& browser, const QString& first, const QString& second) {
  const QString inPage = second.isEmpty() ? first : first + "\n\n" + second;
  if (!ShowPageAlert(browser, inPage.toStdString()))
    host_.showMessage(second.isEmpty() ? first : first + "\r\n\r\n" + second);
}

}  // namespace web
