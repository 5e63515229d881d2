#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "lockmere/store/SiteModel.h"

// Address keywords of sites: what the site form suggests for an address, how a
// typed keyword is stored, and whether an address belongs to a registered site.
namespace web {

struct KeywordSuggestions {
  QStringList keywords;  // in the order the keyword box lists them
  QString text;          // the keyword box's text: the address's host
};

// For an address: its host's first label, the host without that label, the
// host, and when the address has a path the host with the path; all upper
// case, as keywords are matched. Only the part of the address in which keywords
// are looked for counts (no query, fragment or user name), empty and repeated
// suggestions are left out.
KeywordSuggestions SuggestKeywords(const QString& address);

// A keyword as it is stored: upper case (addresses are upper-cased before the
// keyword search, so only an upper-case keyword can ever match) and without the
// blanks around it.
std::string StoredKeyword(const QString& typed);

// True when the keyword of any registered site (later ones first, whatever
// their login type) occurs in the address, by the automatic login's rule.
bool IsRegisteredAddress(const store::TRegSiteList& sites, const std::string& address);

}  // namespace web
