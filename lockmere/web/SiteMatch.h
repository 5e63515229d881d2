#pragma once

#include <string>

#include "lockmere/store/SiteModel.h"
#include "platform/WindowMessages.h"

namespace web {

// Upper case, as addresses and keywords are compared.
std::string UpperCase(const std::string& text);

// The part of a page address in which site keywords are looked for: upper case,
// without the query, the fragment and a user name before the host. A page may
// put anything into those parts, so a keyword found there would hand the site's
// ID and password to whatever page named it.
std::string KeywordSearchAddress(const std::string& address);

// Whether the site's keyword occurs in the search address (as it is stored: only
// keywords stored in upper case can match; an empty keyword never does).
bool KeywordMatches(const store::TRegSiteCollItem& site, const std::string& searchAddress);

// The name of the confirmation and fingerprint login windows opened for a
// browser window: "FPLF" and the handle as 16 upper-case hexadecimal digits.
std::string LoginFormName(platform::WindowHandle browserWindow);

// Now as the stored date-times count: days since 1899-12-30, local time.
double DateTimeNow();
// Whole seconds between two such date-times.
long long SecondsBetween(double a, double b);

}  // namespace web
