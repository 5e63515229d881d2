#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lockmere/tools/account/core/Problem.h"

// Comma-separated values as RFC 4180 has them and password managers export
// them: fields in double quotes may hold commas, line breaks and doubled
// quotes; lines end with LF or CR LF; a byte-order mark at the start is
// skipped. Text must be UTF-8.
namespace account::csv {

struct Row {
  int line = 0;  // the line the row starts on (1-based)
  std::vector<std::string> fields;
};

// All rows, empty lines left out. CsvMalformed with the line of the first
// fault: text that is not UTF-8, a quoted field that never ends, text after a
// closing quote.
Outcome<std::vector<Row>> parse(std::string_view text);

// One field as written: in quotes when it holds a comma, a quote, a line
// break or blanks at either end.
std::string field(std::string_view value);
// A line of fields ending with LF.
std::string line(const std::vector<std::string>& fields);

}  // namespace account::csv
