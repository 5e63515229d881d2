#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lockmere/store/CategoryModel.h"
#include "lockmere/store/SiteModel.h"
#include "lockmere/tools/account/core/AccountRegistry.h"
#include "lockmere/tools/account/core/PasswordExports.h"
#include "lockmere/tools/account/core/Unlock.h"

// Sites in and out of a user's store as CSV: other password managers'
// exports come in as sites, and the sites go out as a CSV file that those
// managers read (Chromium's columns). The file going out is not encrypted.
namespace account {

struct ImportSummary {
  ExportFormat format = ExportFormat::Chromium;
  std::string folder;  // the folder the sites were filed in
  int added = 0;
  int alreadyThere = 0;    // same address, ID and password as a stored site
  int withoutAddress = 0;  // no web address with a host to recognise the page by
  int notLogins = 0;
};

// The login type a new site gets: the user's "DefaultLoginType" when
// "UseDefaultLoginType" is on (1 to 4), else automatic login (1). A script
// login (5) makes no sense for an imported site and falls back to 1 as well.
std::uint8_t defaultLoginType(const AccountRegistry& accounts, std::string_view id);

// Adds the logins as sites: keyword = the address's host in upper case,
// name = the entry's name (the host when it has none), ID, password, memo
// from the notes, the given login type, filed in a top-level folder of the
// given name (an existing one of that name is used). Sites the store has
// already (address, ID and password alike) are left out.
ImportSummary addImportedSites(store::TLMCateList& cates, store::TRegSiteList& sites, const PasswordExport& logins,
                               const std::string& folder, std::uint8_t loginType);

// Reads the CSV file, loads the user's store, adds the sites and saves once.
// The store is untouched unless every line of the file was read.
Outcome<ImportSummary> importCsvFile(const AccountRegistry& accounts, const UnlockedAccount& account,
                                     const std::string& csvPath);

// "name,url,username,password,note", one line a site in store order.
std::string exportCsv(const store::TRegSiteList& sites);
// The user's sites into a new file (mode 0600, whole or not at all); the
// number of sites.
Outcome<int> exportCsvFile(const UnlockedAccount& account, const std::string& csvPath);

}  // namespace account
