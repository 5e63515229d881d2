#include "lockmere/web/RequestedAddress.h"

#include "lockmere/store/RegistryLayout.h"
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

}  // namespace web
