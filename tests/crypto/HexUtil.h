#pragma once

#include <cctype>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace testhex {

// "0A1b" -> {0x0A, 0x1B}; spaces are ignored so vectors can be grouped.
inline std::vector<unsigned char> bytes(std::string_view hex) {
  std::vector<unsigned char> out;
  int high = -1;
  for (char c : hex) {
    if (c == ' ') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) throw std::invalid_argument("not hex");
    const int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(c) - 'a' + 10);
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<unsigned char>(high << 4 | v));
      high = -1;
    }
  }
  if (high >= 0) throw std::invalid_argument("odd number of hex digits");
  return out;
}

template <typename Container>
std::string hex(const Container& data) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string s;
  for (unsigned char b : data) {
    s += kDigits[b >> 4];
    s += kDigits[b & 15];
  }
  return s;
}

}  // namespace testhex
