#include "lockmere/web/RequestedAddress.h"

#include "lockmere/store/RegistryLayout.h"
#include "lockmere/web/cdp/AutomationError.h"
#include "platform/Registry.h"

namespace web {

std::string TakeRequestedAddress() {
  platform::Registry registry(platform::Registry::CurrentUser);
  auto key = registry.openKey(store::reg::kMainKey);
  if (!key) return {};
  auto address = key.value().readString(store::reg::kLastAddSiteURL);
  if (!address) return {};
  key.value().deleteValue(store::reg::kLastAddSiteURL);
  return address.value();
}

void DropTrailingSlash(std::string& address) {
  if (!address.empty() && address.back() == '/') address.pop_back();
}

bool FindRequestedPage(cdp::Browser& browser, std::string requested,
                       const std::function<std::string(const BrowserRef&)>& location, BrowserRef& page,
                       platform::WindowHandle& window) {
  DropTrailingSlash(requested);
  if (!FindTopBrowser(browser, page, window)) return false;
  std::string shown;
  try {
    shown = location(page);
  } catch (const cdp::AutomationError&) {
    return false;
  }
  DropTrailingSlash(shown);
  return shown == requested;
}

}  // namespace web
