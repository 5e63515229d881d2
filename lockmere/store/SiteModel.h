#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lockmere/store/Collection.h"

// The registered web sites of one user. Strings are UTF-8 in memory; the
// stream holds them in the forms the component stream defines.
namespace store {

// Login methods of a site (the values the stream stores in LoginType).
enum LoginMethod : std::uint8_t {
  kLoginAutomatic = 1,
  kLoginManual = 2,
  kLoginAfterConfirmation = 3,
  kLoginWithFingerprint = 4,
  kLoginByScript = 5,
};

// One option of a drop-down (SELECT) field.
struct TSiteOptions : TCollectionItem {
  std::string Value;
  std::string Text;
};

// One more input field of a site's login form.
struct TExtraItems : TCollectionItem {
  std::string FormName;
  std::string Name;
  std::string Type_;  // "TEXT", "PASSWORD", "SELECT-ONE", ...
  std::string Value;
  Collection<TSiteOptions> Options;
  std::string SelectedOption;
};

// One registered site.
struct TRegSiteCollItem : TCollectionItem {
  std::string URL;
  std::string Keyword;
  std::string Name;
  std::string FrameName;
  std::string ID_FormName;
  std::string ID_Name;
  std::string ID_Value;
  std::string PW_FormName;
  std::string PW_Name;
  std::string PW_Value;
  std::string Description;
  std::int32_t CateID = -1;  // the ID of the category it is filed in; -1 = top level
  std::uint8_t LoginType = kLoginAutomatic;
  double LastAutoLogin = 0;  // days since 1899-12-30; 0 = never
  Collection<TExtraItems> ExtraItems;
};

class TRegSiteList;

class TRegSiteCollection : public Collection<TRegSiteCollItem> {
 public:
  explicit TRegSiteCollection(TRegSiteList* owner = nullptr) : owner_(owner) {}
  TRegSiteList* owner() const { return owner_; }

  // Where a new site with this keyword goes: before the first site whose
  // Keyword is at least as long (in code-page bytes), else at the end.
  int insertPosition(std::string_view keyword) const;
  // A copy of site (with a new ID) inserted at insertPosition(site.Keyword).
  TRegSiteCollItem& insertSite(const TRegSiteCollItem& site);

 private:
  TRegSiteList* owner_;
};

// Owner of one site collection.
class TRegSiteList {
 public:
  TRegSiteList() : sites_(this) {}
  TRegSiteList(const TRegSiteList&) = delete;
  TRegSiteList& operator=(const TRegSiteList&) = delete;

  TRegSiteCollection& RegSites() { return sites_; }
  const TRegSiteCollection& RegSites() const { return sites_; }
  // Copies the content (never shares it): the framework's assignment.
  void setRegSites(const TRegSiteCollection& sites) { sites_.assign(sites); }

 private:
  TRegSiteCollection sites_;
};

}  // namespace store
