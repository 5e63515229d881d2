#include "lockmere/store/UserStore.h"

namespace store {
namespace {

// Site passwords and IDs must not linger in freed memory after logout.
void wipeSites(TRegSiteList& list) {
  TRegSiteCollection& sites = list.RegSites();
  for (int i = 0; i < sites.count(); ++i) {
    TRegSiteCollItem& s = sites[i];
    for (std::string* f : {&s.URL, &s.Keyword, &s.Name, &s.FrameName, &s.ID_FormName, &s.ID_Name, &s.ID_Value,
                           &s.PW_FormName, &s.PW_Name, &s.PW_Value, &s.Description})
      crypto::wipe(*f);
    for (int k = 0; k < s.ExtraItems.count(); ++k) {
      TExtraItems& e = s.ExtraItems[k];
      for (std::string* f : {&e.FormName, &e.Name, &e.Type_, &e.Value, &e.SelectedOption}) crypto::wipe(*f);
    }
  }
}

}  // namespace

UserStore::UserStore(std::string userId, std::string dataFilePath, crypto::SecureBytes dataKey)
    : userId_(std::move(userId)),
      file_(std::move(dataFilePath)),
      dataKey_(std::move(dataKey)),
      cates_(std::make_unique<TLMCateList>()),
      sites_(std::make_unique<TRegSiteList>()),
      detected_(std::make_unique<TRegSiteList>()) {}

UserStore::~UserStore() { wipe(); }

bool UserStore::load() {
  StoreLoad loaded = file_.loadStore(dataKey_);
  if (!loaded.ok()) {
    cates_ = std::make_unique<TLMCateList>();
    sites_ = std::make_unique<TRegSiteList>();
    loadFailed_ = true;
    error_ = loaded.error;
    return false;
  }
  cates_ = std::move(loaded.cates);
  sites_ = std::move(loaded.sites);
  error_.clear();
  return true;
}

bool UserStore::save(const std::vector<TreeEntry>& treeOrder) {
  if (isWiped()) {
    error_ = "the user is logged out";
    return false;
  }
  if (loadFailed_) {
    error_ = "the store could not be read at login, so it is not saved over: " + file_.path();
    return false;
  }
  renumber(treeOrder, *cates_, *sites_);
  return file_.saveStore(dataKey_, *cates_, *sites_, &error_);
}

bool UserStore::loadTemplateRecords(const crypto::SecureBytes& programKey) {
  auto records = file_.loadTemplateRecords(programKey, &error_);
  if (!records) return false;
  records_.clear();
  records_ = std::move(*records);
  return true;
}

void UserStore::wipe() {
  crypto::wipe(dataKey_.data(), dataKey_.size());
  dataKey_.clear();
  dataKey_.shrink_to_fit();
  crypto::wipe(userId_);
  records_.clear();
  if (sites_) wipeSites(*sites_);
  if (detected_) wipeSites(*detected_);
  cates_ = std::make_unique<TLMCateList>();
  sites_ = std::make_unique<TRegSiteList>();
  detected_ = std::make_unique<TRegSiteList>();
}

}  // namespace store
