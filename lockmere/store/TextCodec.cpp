#include "lockmere/store/TextCodec.h"

#include <cstdint>

#include "platform/Cp949.h"

namespace store::text {
namespace {

// Decodes one UTF-8 sequence at s[i]; returns its length (0 when invalid) and
// the code point. Rejects overlong forms, surrogates and values past U+10FFFF.
std::size_t decodeOne(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const unsigned char c = b(0);
  std::size_t n;
  char32_t min;
  if (c < 0x80) {
    cp = c;
    return 1;
  } else if ((c & 0xE0) == 0xC0) {
    n = 2, cp = c & 0x1F, min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    n = 3, cp = c & 0x0F, min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    n = 4, cp = c & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((b(k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

void appendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void appendUnit(char16_t u, std::string& out) {
  out += static_cast<char>(u & 0xFF);
  out += static_cast<char>(u >> 8);
}

}  // namespace

bool isAscii(std::string_view bytes) {
  for (unsigned char c : bytes)
    if (c >= 0x80) return false;
  return true;
}

std::size_t codePageLength(std::string_view utf8) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp;
    const std::size_t n = decodeOne(utf8, i, cp);
    if (n == 0) {
      ++length;
      ++i;
    } else {
      length += n == 1 ? 1 : 2;
      i += n;
    }
  }
  return length;
}

std::optional<std::size_t> utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp;
    const std::size_t n = decodeOne(utf8, i, cp);
    if (n == 0) return std::nullopt;
    units += cp >= 0x10000 ? 2 : 1;
    i += n;
  }
  return units;
}

bool isValidUtf8(std::string_view bytes) { return utf16Length(bytes).has_value(); }

bool appendUtf16le(std::string_view utf8, std::string& out) {
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp;
    const std::size_t n = decodeOne(utf8, i, cp);
    if (n == 0) return false;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      appendUnit(static_cast<char16_t>(0xD800 + (cp >> 10)), out);
      appendUnit(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)), out);
    } else {
      appendUnit(static_cast<char16_t>(cp), out);
    }
    i += n;
  }
  return true;
}

std::optional<std::string> utf16leToUtf8(std::string_view utf16le) {
  if (utf16le.size() % 2) return std::nullopt;
  std::string out;
  out.reserve(utf16le.size());
  const auto unit = [&](std::size_t k) {
    return static_cast<char16_t>(static_cast<unsigned char>(utf16le[2 * k]) |
                                 static_cast<unsigned char>(utf16le[2 * k + 1]) << 8);
  };
  const std::size_t count = utf16le.size() / 2;
  for (std::size_t k = 0; k < count; ++k) {
    const char16_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (k + 1 >= count) return std::nullopt;
      const char16_t low = unit(k + 1);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      appendUtf8(0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00), out);
      ++k;
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      return std::nullopt;
    } else {
      appendUtf8(u, out);
    }
  }
  return out;
}

std::optional<std::string> toCodePage(std::string_view utf8) {
  if (isAscii(utf8)) return std::string(utf8);
  return platform::cp949::fromUtf8(utf8);
}

std::optional<std::string> fromCodePage(std::string_view bytes) {
  if (isAscii(bytes)) return std::string(bytes);
  return platform::cp949::toUtf8(bytes);
}

std::string_view trimmed(std::string_view bytes) {
  std::size_t begin = 0, end = bytes.size();
  while (begin < end && static_cast<unsigned char>(bytes[begin]) <= 0x20) ++begin;
  while (end > begin && static_cast<unsigned char>(bytes[end - 1]) <= 0x20) --end;
  return bytes.substr(begin, end - begin);
}

}  // namespace store::text
