#include "lockmere/web/SiteMatch.h"

#include <QDateTime>
#include <QString>
#include <cmath>
#include <cstdio>

namespace web {

std::string UpperCase(const std::string& text) { return QString::fromStdString(text).toUpper().toStdString(); }

std::string KeywordSearchAddress(const std::string& address) {
  std::string a = address.substr(0, address.find_first_of("?#"));
  const std::size_t scheme = a.find("://");
  if (scheme != std::string::npos) {
    const std::size_t hostStart = scheme + 3;
    const std::size_t hostEnd = a.find('/', hostStart);
    const std::size_t at = a.rfind('@', hostEnd == std::string::npos ? std::string::npos : hostEnd);
    if (at != std::string::npos && at >= hostStart) a.erase(hostStart, at + 1 - hostStart);
  }
  return UpperCase(a);
}

bool KeywordMatches(const store::TRegSiteCollItem& site, const std::string& searchAddress) {
  return !site.Keyword.empty() && searchAddress.find(site.Keyword) != std::string::npos;
}

std::string LoginFormName(platform::WindowHandle browserWindow) {
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llX", static_cast<unsigned long long>(browserWindow));
  return std::string("FPLF") + digits;
}

double DateTimeNow() {
  const QDateTime now = QDateTime::currentDateTime();
  const double localMs = static_cast<double>(now.toMSecsSinceEpoch()) + now.offsetFromUtc() * 1000.0;
  return localMs / 86400000.0 + 25569.0;
}

long long SecondsBetween(double a, double b) { return static_cast<long long>(std::fabs(a - b) * 86400.0); }

}  // namespace web
