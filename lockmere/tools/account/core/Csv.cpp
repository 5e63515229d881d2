#include "lockmere/tools/account/core/Csv.h"

#include "platform/RegistryNames.h"

namespace account::csv {
namespace {

// The line of the first byte that breaks UTF-8, or 0.
int firstBadUtf8Line(std::string_view text) {
  std::size_t start = 0;
  int line = 1;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n') {
      if (!platform::registry::isValidUtf8(text.substr(start, i - start))) return line;
      start = i + 1;
      ++line;
    }
  }
  return 0;
}

}  // namespace

Outcome<std::vector<Row>> parse(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (const int bad = firstBadUtf8Line(text)) return Failure(Problem::CsvMalformed, "not UTF-8 text", bad);
  std::vector<Row> rows;
  int line = 1;
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto atLineEnd = [&](std::size_t at) { return at < n && (text[at] == '\n' || text[at] == '\r'); };
  auto skipLineEnd = [&] {
    if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    ++i;
    ++line;
  };
  while (i < n) {
    if (atLineEnd(i)) {  // an empty line
      skipLineEnd();
      continue;
    }
    Row row;
    row.line = line;
    while (true) {
      std::string value;
      if (i < n && text[i] == '"') {
        const int opened = line;
        ++i;
        while (true) {
          if (i >= n) return Failure(Problem::CsvMalformed, "a quoted field does not end", opened);
          if (text[i] == '"') {
            if (i + 1 < n && text[i + 1] == '"') {
              value += '"';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          if (text[i] == '\n') ++line;
          value += text[i++];
        }
        if (i < n && text[i] != ',' && !atLineEnd(i))
          return Failure(Problem::CsvMalformed, "text after a closing quote", line);
      } else {
        while (i < n && text[i] != ',' && !atLineEnd(i)) value += text[i++];
      }
      row.fields.push_back(std::move(value));
      if (i < n && text[i] == ',') {
        ++i;
        continue;
      }
      break;
    }
    rows.push_back(std::move(row));
    if (i < n) skipLineEnd();
  }
  return rows;
}

std::string field(std::string_view value) {
  const bool quote = value.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!value.empty() && (value.front() == ' ' || value.back() == ' '));
  if (!quote) return std::string(value);
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

std::string line(const std::vector<std::string>& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += ',';
    out += field(fields[i]);
  }
  return out + '\n';
}

}  // namespace account::csv
