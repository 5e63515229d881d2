#include "lockmere/store/SiteModel.h"

#include "lockmere/store/TextCodec.h"

namespace store {

int TRegSiteCollection::insertPosition(std::string_view keyword) const {
  const std::size_t length = text::codePageLength(keyword);
  for (int i = 0; i < count(); ++i)
    if (text::codePageLength(at(i).Keyword) >= length) return i;
  return count();
}

TRegSiteCollItem& TRegSiteCollection::insertSite(const TRegSiteCollItem& site) {
  return insertCopy(insertPosition(site.Keyword), site);
}

}  // namespace store
