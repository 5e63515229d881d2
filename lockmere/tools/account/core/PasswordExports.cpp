#include "lockmere/tools/account/core/PasswordExports.h"

#include <QUrl>
#include <algorithm>
#include <map>
#include <optional>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/tools/account/core/Csv.h"

namespace account {
namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string trimmedCopy(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// Column positions by lower-case name.
class Columns {
 public:
  explicit Columns(const std::vector<std::string>& header) {
    for (std::size_t i = 0; i < header.size(); ++i) index_.emplace(lower(trimmedCopy(header[i])), i);
  }
  bool has(const char* name) const { return index_.count(name) > 0; }
  std::string get(const std::vector<std::string>& row, std::initializer_list<const char*> names) const {
    for (const char* name : names)
      if (auto it = index_.find(name); it != index_.end() && it->second < row.size()) return row[it->second];
    return {};
  }

 private:
  std::map<std::string, std::size_t> index_;
};

std::optional<ExportFormat> detect(const Columns& c) {
  if (c.has("login_uri") && c.has("login_password")) return ExportFormat::Bitwarden;
  if (c.has("title") && c.has("url") && c.has("password")) return ExportFormat::KeePassXC;
  if (c.has("url") && c.has("password") && (c.has("httprealm") || c.has("formactionorigin") || c.has("guid")))
    return ExportFormat::Firefox;
  if (c.has("url") && c.has("username") && c.has("password")) return ExportFormat::Chromium;
  return std::nullopt;
}

bool inRecycleBin(std::string_view group) {
  const std::string g = lower(group);
  return g == "recycle bin" || (g.size() > 12 && g.compare(g.size() - 12, 12, "/recycle bin") == 0);
}

}  // namespace

const char* formatName(ExportFormat format) {
  switch (format) {
    case ExportFormat::Chromium:
      return "Chromium";
    case ExportFormat::Firefox:
      return "Firefox";
    case ExportFormat::Bitwarden:
      return "Bitwarden";
    case ExportFormat::KeePassXC:
      return "KeePassXC";
  }
  return "";
}

std::string keywordOf(std::string_view url) {
  std::string text = trimmedCopy(url);
  if (text.empty()) return {};
  if (text.find("://") == std::string::npos) text = "https://" + text;
  const QUrl parsed(QString::fromStdString(text), QUrl::TolerantMode);
  const QString host = parsed.host();
  if (!parsed.isValid() || host.isEmpty()) return {};
  const QString scheme = parsed.scheme().toLower();
  if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return {};
  return host.toUpper().toStdString();
}

Outcome<PasswordExport> readPasswordExport(std::string_view text) {
  auto rows = csv::parse(text);
  if (!rows) return rows.failure();
  if (rows->empty()) return Failure(Problem::CsvUnknownFormat, "the file is empty");
  const csv::Row& header = rows->front();
  const Columns columns(header.fields);
  const auto format = detect(columns);
  if (!format) {
    std::string names;
    for (const auto& f : header.fields) names += (names.empty() ? "" : ",") + f;
    return Failure(Problem::CsvUnknownFormat, "header: " + names);
  }
  PasswordExport out;
  out.format = *format;
  for (std::size_t r = 1; r < rows->size(); ++r) {
    const csv::Row& row = (*rows)[r];
    if (row.fields.size() != header.fields.size())
      return Failure(
          Problem::CsvMalformed,
          std::to_string(row.fields.size()) + " fields where the header has " + std::to_string(header.fields.size()),
          row.line);
    ImportedLogin login;
    login.line = row.line;
    login.name = columns.get(row.fields, {"name", "title"});
    login.url = columns.get(row.fields, {"url", "login_uri"});
    login.username = columns.get(row.fields, {"username", "login_username"});
    login.password = columns.get(row.fields, {"password", "login_password"});
    login.notes = columns.get(row.fields, {"note", "notes"});
    if (*format == ExportFormat::Bitwarden) {
      // Several addresses of one entry come in one field, separated by commas.
      login.url = login.url.substr(0, login.url.find(','));
      const std::string type = lower(columns.get(row.fields, {"type"}));
      if (!type.empty() && type != "login") {
        ++out.notLogins;
        continue;
      }
    }
    if (*format == ExportFormat::KeePassXC && inRecycleBin(columns.get(row.fields, {"group"}))) {
      ++out.notLogins;
      continue;
    }
    if (login.url.empty() && login.username.empty() && login.password.empty()) {
      ++out.notLogins;
      continue;
    }
    out.logins.push_back(std::move(login));
  }
  for (csv::Row& row : *rows)
    for (std::string& f : row.fields) crypto::wipe(f);
  return out;
}

}  // namespace account
