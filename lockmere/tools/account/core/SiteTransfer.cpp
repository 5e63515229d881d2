#include "lockmere/tools/account/core/SiteTransfer.h"

#include <filesystem>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/UserStore.h"
#include "lockmere/tools/account/core/Csv.h"
#include "lockmere/tools/account/core/FileBytes.h"
#include "platform/AtomicFile.h"

namespace account {
namespace {

std::string lowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

int folderFor(store::TLMCateList& cates, const std::string& name) {
  store::TCateCollection& all = cates.Cates();
  for (int i = 0; i < all.count(); ++i)
    if (all[i].ParentID == -1 && all[i].Text == name) return all[i].ID();
  store::TCateItem& folder = all.add();
  folder.ParentID = -1;
  folder.Text = name;
  return folder.ID();
}

bool alreadyStored(const store::TRegSiteList& sites, const store::TRegSiteCollItem& site) {
  const store::TRegSiteCollection& all = sites.RegSites();
  for (int i = 0; i < all.count(); ++i)
    if (all[i].URL == site.URL && all[i].ID_Value == site.ID_Value && all[i].PW_Value == site.PW_Value) return true;
  return false;
}

std::string folderNameOf(const std::string& csvPath) {
  std::string name = std::filesystem::path(csvPath).stem().string();
  return name.empty() ? std::string("Imported") : name;
}

}  // namespace

std::uint8_t defaultLoginType(const AccountRegistry& accounts, std::string_view id) {
  auto key = accounts.registry().openKey(userKeyPath(id));
  if (!key || !key.value().readBool("UseDefaultLoginType").valueOr(false)) return store::kLoginAutomatic;
  const int type = key.value().readInteger("DefaultLoginType").valueOr(0);
  if (type < store::kLoginAutomatic || type > store::kLoginWithFingerprint) return store::kLoginAutomatic;
  return static_cast<std::uint8_t>(type);
}

ImportSummary addImportedSites(store::TLMCateList& cates, store::TRegSiteList& sites, const PasswordExport& logins,
                               const std::string& folder, std::uint8_t loginType) {
  ImportSummary summary;
  summary.format = logins.format;
  summary.folder = folder;
  summary.notLogins = logins.notLogins;
  int folderId = -1;
  for (const ImportedLogin& login : logins.logins) {
    store::TRegSiteCollItem site;
    site.Keyword = keywordOf(login.url);
    if (site.Keyword.empty()) {
      ++summary.withoutAddress;
      continue;
    }
    site.URL = login.url.find("://") == std::string::npos ? "https://" + login.url : login.url;
    site.Name = login.name.empty() ? lowerAscii(site.Keyword) : login.name;
    site.ID_Value = login.username;
    site.PW_Value = login.password;
    site.Description = login.notes;
    site.LoginType = loginType;
    if (alreadyStored(sites, site)) {
      ++summary.alreadyThere;
      continue;
    }
    if (folderId == -1) folderId = folderFor(cates, folder);
    site.CateID = folderId;
    sites.RegSites().insertSite(site);
    ++summary.added;
    for (std::string* s : {&site.URL, &site.ID_Value, &site.PW_Value, &site.Description}) crypto::wipe(*s);
  }
  return summary;
}

Outcome<ImportSummary> importCsvFile(const AccountRegistry& accounts, const UnlockedAccount& account,
                                     const std::string& csvPath) {
  std::string text, why;
  if (!readWholeFile(csvPath, text, &why)) return Failure(Problem::FileUnreadable, why);
  auto logins = readPasswordExport(text);
  crypto::wipe(text);
  if (!logins) return logins.failure();
  store::UserStore user(account.id, account.dataFile, account.dataKey);
  if (!user.load()) return Failure(Problem::StoreUnreadable, user.errorString());
  ImportSummary summary = addImportedSites(user.cates(), user.sites(), *logins, folderNameOf(csvPath),
                                           defaultLoginType(accounts, account.id));
  for (ImportedLogin& login : logins->logins)
    for (std::string* s : {&login.url, &login.username, &login.password, &login.notes}) crypto::wipe(*s);
  if (summary.added > 0 && !user.save()) return Failure(Problem::DataFileNotWritten, user.errorString());
  return summary;
}

std::string exportCsv(const store::TRegSiteList& sites) {
  std::string out = csv::line({"name", "url", "username", "password", "note"});
  const store::TRegSiteCollection& all = sites.RegSites();
  for (int i = 0; i < all.count(); ++i) {
    const store::TRegSiteCollItem& s = all[i];
    out += csv::line({s.Name, s.URL, s.ID_Value, s.PW_Value, s.Description});
  }
  return out;
}

Outcome<int> exportCsvFile(const UnlockedAccount& account, const std::string& csvPath) {
  store::UserStore user(account.id, account.dataFile, account.dataKey);
  if (!user.load()) return Failure(Problem::StoreUnreadable, user.errorString());
  std::string text = exportCsv(user.sites());
  std::string why;
  const bool written = platform::AtomicFile::writeFile(csvPath, text, 0600, &why);
  crypto::wipe(text);
  if (!written) return Failure(Problem::FileNotWritten, why);
  return user.sites().RegSites().count();
}

}  // namespace account
