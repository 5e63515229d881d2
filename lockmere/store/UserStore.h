#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/CategoryModel.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/store/SiteModel.h"
#include "lockmere/store/TemplateRecords.h"
#include "lockmere/store/TreeOrder.h"

namespace store {

// The logged-in user's store for one session: the data key, the user ID, the
// lists (categories, registered sites, and the never-stored detected sites),
// the user's template records, and load and save of the data file.
//
// A store whose load failed is never saved over: an unreadable file (wrong
// padding, cut short, a stream that does not parse) stays as it is for the
// rest of the session, however the lists change, and save() reports false.
class UserStore {
 public:
  UserStore(std::string userId, std::string dataFilePath, crypto::SecureBytes dataKey);
  ~UserStore();  // wipes
  UserStore(const UserStore&) = delete;
  UserStore& operator=(const UserStore&) = delete;

  const std::string& userId() const { return userId_; }
  const std::string& dataFilePath() const { return file_.path(); }
  const crypto::SecureBytes& dataKey() const { return dataKey_; }

  // Replaces the lists with the data file's store; a file with no store
  // leaves them empty and succeeds. On failure the lists are empty, false is
  // returned, errorString() says why and saves are refused from now on.
  bool load();
  bool loadFailed() const { return loadFailed_; }

  // Renumbers into tree order (see renumber()) and writes the store. False
  // when the load failed, the file is missing or its header is not valid, or
  // writing failed; the file is then as it was.
  bool save(const std::vector<TreeEntry>& treeOrder);
  // The same with the order the lists themselves imply (no tree at hand).
  bool save() { return save(buildTreeOrder(*cates_, *sites_)); }

  // The user's template records (reloaded after a fingerprint change).
  bool loadTemplateRecords(const crypto::SecureBytes& programKey);
  const TemplateRecords& templateRecords() const { return records_; }

  TLMCateList& cates() { return *cates_; }
  TRegSiteList& sites() { return *sites_; }
  TRegSiteList& detectedSites() { return *detected_; }

  const std::string& errorString() const { return error_; }

  // Logout: overwrites the data key with zeros and frees it, clears the user
  // ID and the records, overwrites the sites' texts and frees the lists. Save
  // first if the changes count.
  void wipe();
  bool isWiped() const { return dataKey_.empty(); }

 private:
  std::string userId_;
  DataFile file_;
  crypto::SecureBytes dataKey_;
  std::unique_ptr<TLMCateList> cates_;
  std::unique_ptr<TRegSiteList> sites_;
  std::unique_ptr<TRegSiteList> detected_;
  TemplateRecords records_;
  bool loadFailed_ = false;
  std::string error_;
};

}  // namespace store
