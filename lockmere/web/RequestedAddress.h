#pragma once

#include <string>

namespace web {

// The address the browser add-on left in LastAddSiteURL, taken out of the
// registry (it is meant for one request); empty when there is none.
std::string TakeRequestedAddress();

// Addresses compare without a trailing slash.
void DropTrailingSlash(std::string& address);

}  // namespace web
