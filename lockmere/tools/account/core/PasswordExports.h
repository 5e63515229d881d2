#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lockmere/tools/account/core/Problem.h"

// The CSV files other password managers export, read into logins: Chromium
// and Chrome ("name,url,username,password[,note]"), Firefox ("url,username,
// password,httpRealm,formActionOrigin,guid,..."), Bitwarden ("folder,favorite,
// type,name,notes,fields,reprompt,login_uri,login_username,login_password,
// login_totp") and KeePassXC ("Group,Title,Username,Password,URL,Notes,...").
// The header line tells them apart; columns are found by name, so their order
// and extra columns do not matter.
namespace account {

enum class ExportFormat { Chromium, Firefox, Bitwarden, KeePassXC };
const char* formatName(ExportFormat format);

struct ImportedLogin {
  int line = 0;
  std::string name;
  std::string url;
  std::string username;
  std::string password;
  std::string notes;
};

struct PasswordExport {
  ExportFormat format = ExportFormat::Chromium;
  std::vector<ImportedLogin> logins;
  int notLogins = 0;  // entries that hold no web login (Bitwarden cards and notes, KeePassXC's recycle bin, empty rows)
};

// CsvMalformed (with the line) for a file that does not parse or a row whose
// number of fields is not the header's; CsvUnknownFormat for a header none of
// the four formats has.
Outcome<PasswordExport> readPasswordExport(std::string_view text);

// The host of an address, upper case (the keyword the program recognises a
// page by); "https://" is assumed when the address has no scheme. Empty for an
// address without a host (an app's entry, a bare word).
std::string keywordOf(std::string_view url);

}  // namespace account
