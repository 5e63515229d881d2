#include "platform/RegistryNames.h"

#include <cstdint>

#include "platform/Utf8.h"

namespace platform::registry {
namespace {

// Decodes one code point at text[i], advancing i; -1 for malformed input.
std::int32_t decode(std::string_view text, std::size_t& i) {
  char32_t cp = 0;
  std::size_t n = utf8::decode(text, i, cp);
  if (n == 0) return -1;
  i += n;
  return static_cast<std::int32_t>(cp);
}

// Ranges in which upper and lower case alternate: (even = upper) or (odd = upper).
struct PairRange {
  std::int32_t first, last;
  bool upperIsEven;
};
constexpr PairRange kPairs[] = {
    {0x0100, 0x012F, true},  {0x0132, 0x0137, true},  {0x0139, 0x0148, false}, {0x014A, 0x0177, true},
    {0x0179, 0x017E, false}, {0x0182, 0x0185, true},  {0x01A0, 0x01A5, true},  {0x01CD, 0x01DC, false},
    {0x01DE, 0x01EF, true},  {0x01F8, 0x021F, true},  {0x0222, 0x0233, true},  {0x0460, 0x0481, true},
    {0x048A, 0x04BF, true},  {0x04C1, 0x04CE, false}, {0x04D0, 0x052F, true},  {0x1E00, 0x1E95, true},
    {0x1EA0, 0x1EFF, true},  {0x2C80, 0x2CE3, true},
};

// Ranges whose lower-case letters sit a fixed distance above their capitals.
struct ShiftRange {
  std::int32_t first, last, delta;
};
constexpr ShiftRange kShifts[] = {
    {0x0061, 0x007A, -0x20}, {0x00E0, 0x00F6, -0x20}, {0x00F8, 0x00FE, -0x20}, {0x03B1, 0x03C1, -0x20},
    {0x03C3, 0x03CB, -0x20}, {0x03AD, 0x03AF, -0x25}, {0x03CD, 0x03CE, -0x3F}, {0x0430, 0x044F, -0x20},
    {0x0450, 0x045F, -0x50}, {0x0561, 0x0586, -0x30}, {0x1F00, 0x1F07, 0x08},  {0x1F10, 0x1F15, 0x08},
    {0x1F20, 0x1F27, 0x08},  {0x1F30, 0x1F37, 0x08},  {0x1F40, 0x1F45, 0x08},  {0x1F60, 0x1F67, 0x08},
    {0x2170, 0x217F, -0x10}, {0x24D0, 0x24E9, -0x1A}, {0xFF41, 0xFF5A, -0x20},
};

std::int32_t upper(std::int32_t cp) {
  if (cp < 0x80) return (cp >= 'a' && cp <= 'z') ? cp - 0x20 : cp;
  switch (cp) {
    case 0x00FF:
      return 0x0178;
    case 0x03C2:
      return 0x03A3;  // final sigma
    case 0x03AC:
      return 0x0386;
    case 0x03CC:
      return 0x038C;
    case 0x04CF:
      return 0x04C0;
    default:
      break;
  }
  for (const auto& s : kShifts)
    if (cp >= s.first && cp <= s.last) return cp + s.delta;
  for (const auto& p : kPairs)
    if (cp >= p.first && cp <= p.last) {
      bool even = (cp % 2) == 0;
      return even == p.upperIsEven ? cp : cp - 1;
    }
  return cp;
}

// Counts characters; -1 when the text is not valid UTF-8.
long characterCount(std::string_view text) {
  long n = 0;
  for (std::size_t i = 0; i < text.size(); ++n)
    if (decode(text, i) < 0) return -1;
  return n;
}

RegistryResult invalid(std::string message) { return {RegistryStatus::InvalidArgument, std::move(message)}; }

}  // namespace

bool isValidUtf8(std::string_view text) { return characterCount(text) >= 0; }

std::string foldCase(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    std::int32_t cp = decode(utf8, i);
    if (cp < 0) {  // not expected (names are checked first); keep the byte as it is
      out += utf8[i++];
      continue;
    }
    utf8::append(static_cast<char32_t>(upper(cp)), out);
  }
  return out;
}

RegistryResult splitKeyPath(std::string_view path, std::vector<std::string>& segments) {
  segments.clear();
  std::string_view rest = path;
  if (!rest.empty() && rest.front() == '\\') rest.remove_prefix(1);
  if (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
  if (rest.empty()) return {};
  while (true) {
    auto slash = rest.find('\\');
    std::string_view segment = rest.substr(0, slash);
    if (segment.empty()) return invalid("key path \"" + std::string(path) + "\" holds an empty key name");
    long length = characterCount(segment);
    if (length < 0) return invalid("key path \"" + std::string(path) + "\" is not valid UTF-8");
    if (segment.find('\0') != std::string_view::npos)
      return invalid("key path \"" + std::string(path) + "\" holds a NUL character");
    if (static_cast<std::size_t>(length) > kMaxKeyNameLength)
      return invalid("key name longer than " + std::to_string(kMaxKeyNameLength) + " characters");
    segments.emplace_back(segment);
    if (segments.size() > kMaxPathDepth)
      return invalid("key path deeper than " + std::to_string(kMaxPathDepth) + " levels");
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return {};
}

RegistryResult checkValueName(std::string_view name) {
  long length = characterCount(name);
  if (length < 0) return invalid("value name is not valid UTF-8");
  if (name.find('\0') != std::string_view::npos) return invalid("value name holds a NUL character");
  if (static_cast<std::size_t>(length) > kMaxValueNameLength)
    return invalid("value name longer than " + std::to_string(kMaxValueNameLength) + " characters");
  return {};
}

}  // namespace platform::registry
