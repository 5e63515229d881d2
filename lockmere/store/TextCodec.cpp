#include "lockmere/store/TextCodec.h"

#include <cstdint>
#include <cstring>

#include "platform/Cp949.h"
#include "platform/Utf8.h"

namespace store::text {
namespace {

void appendUnit(char16_t u, std::string& out) {
  out += static_cast<char>(u & 0xFF);
  out += static_cast<char>(u >> 8);
}

}  // namespace

bool isAscii(std::string_view bytes) {
  // Eight bytes a step: the stream writer asks this of every text it stores.
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    if (word & 0x8080808080808080ull) return false;
  }
  for (; i < bytes.size(); ++i)
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
  return true;
}

std::size_t codePageLength(std::string_view utf8) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp;
    const std::size_t n = platform::utf8::decode(utf8, i, cp);
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
    const std::size_t n = platform::utf8::decode(utf8, i, cp);
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
    const std::size_t n = platform::utf8::decode(utf8, i, cp);
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
      platform::utf8::append(0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00), out);
      ++k;
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      return std::nullopt;
    } else {
      platform::utf8::append(u, out);
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
