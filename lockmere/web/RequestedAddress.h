#pragma once

#include <functional>
#include <string>

#include "lockmere/web/PageAccess.h"

namespace web {

// The address the browser add-on left in LastAddSiteURL, taken out of the
// registry (it is meant for one request); empty when there is none.
std::string TakeRequestedAddress();

// Addresses compare without a trailing slash.
void DropTrailingSlash(std::string& address);

// The top browser window, when the page it shows (as `location` reads it) is
// the requested address, both without a trailing slash. False when there is no
// browser window, the page cannot be read, or it shows another address: the
// request was for a page the user has left.
bool FindRequestedPage(cdp::Browser& browser, std::string requested,
                       const std::function<std::string(const BrowserRef&)>& location, BrowserRef& page,
                       platform::WindowHandle& window);

}  // namespace web
