#include "lockmere/web/SiteKeywords.h"

#include "lockmere/web/SiteMatch.h"

namespace web {
namespace {

const QString kHttp = QStringLiteral("HTTP://");
const QString kHttps = QStringLiteral("HTTPS://");

void addOnce(QStringList& list, const QString& keyword) {
  if (!keyword.isEmpty() && !list.contains(keyword)) list.append(keyword);
}

}  // namespace

KeywordSuggestions SuggestKeywords(const QString& address) {
  QString r = QString::fromStdString(KeywordSearchAddress(address.toStdString()));
  // The scheme goes first, so that "http://" alone (the form's first text)
  // leaves nothing rather than "HTTP:".
  if (r.startsWith(kHttp))
    r.remove(0, kHttp.size());
  else if (r.startsWith(kHttps))
    r.remove(0, kHttps.size());
  if (r.endsWith(u'/')) r.chop(1);

  // A slash from the third character on starts a path; the host is what comes
  // before the first slash.
  const bool hasPath = r.indexOf(u'/', 2) >= 0;
  const QString host = hasPath ? r.left(r.indexOf(u'/')) : r;
  const int dot = host.indexOf(u'.');

  KeywordSuggestions out;
  if (dot >= 0) addOnce(out.keywords, host.left(dot));
  addOnce(out.keywords, host.mid(dot + 1));
  addOnce(out.keywords, host);
  if (hasPath) addOnce(out.keywords, r);
  out.text = host;
  return out;
}

std::string StoredKeyword(const QString& typed) { return UpperCase(typed.trimmed().toStdString()); }

bool IsRegisteredAddress(const store::TRegSiteList& sites, const std::string& address) {
  const std::string searched = KeywordSearchAddress(address);
  const store::TRegSiteCollection& all = sites.RegSites();
  for (int i = all.count() - 1; i >= 0; --i)
    if (KeywordMatches(all.at(i), searched)) return true;
  return false;
}

}  // namespace web
