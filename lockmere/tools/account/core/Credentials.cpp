#include "lockmere/tools/account/core/Credentials.h"

#include <bitset>

#include "lockmere/store/TextCodec.h"
#include "platform/RegistryNames.h"

namespace account {
namespace {

bool isBlankOrControl(unsigned char c) { return c <= 0x20 || c == 0x7F; }

// Characters of valid UTF-8 text.
std::size_t characterCount(std::string_view utf8) {
  std::size_t n = 0;
  for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
  return n;
}

}  // namespace

Problem checkNewId(std::string_view id) {
  if (id.empty()) return Problem::IdEmpty;
  if (!platform::registry::isValidUtf8(id)) return Problem::IdNotCodePage;
  if (isBlankOrControl(static_cast<unsigned char>(id.front())) ||
      isBlankOrControl(static_cast<unsigned char>(id.back())))
    return Problem::IdBlankAtEnd;
  for (unsigned char c : id) {
    if (c < 0x20 || c == 0x7F) return Problem::IdControlCharacter;
    if (c == '\\') return Problem::IdBackslash;
  }
  // C1 controls (U+0080..U+009F) are two bytes in UTF-8: C2 80 .. C2 9F.
  for (std::size_t i = 0; i + 1 < id.size(); ++i)
    if (static_cast<unsigned char>(id[i]) == 0xC2 && static_cast<unsigned char>(id[i + 1]) < 0xA0)
      return Problem::IdControlCharacter;
  const auto bytes = store::text::toCodePage(id);
  if (!bytes) return Problem::IdNotCodePage;
  if (bytes->size() > kMaxIdBytes) return Problem::IdTooLong;
  return Problem::None;
}

Problem checkNewPassword(std::string_view password) {
  if (store::text::trimmed(password).empty()) return Problem::PasswordEmpty;
  if (!platform::registry::isValidUtf8(password) || !store::text::toCodePage(password))
    return Problem::PasswordNotCodePage;
  return Problem::None;
}

Problem checkNewPassword(std::string_view password, std::string_view repeated) {
  if (const Problem p = checkNewPassword(password); p != Problem::None) return p;
  return password == repeated ? Problem::None : Problem::PasswordsDiffer;
}

Strength passwordStrength(std::string_view password) {
  const std::string_view p = store::text::trimmed(password);
  if (p.empty()) return Strength::Empty;
  bool lower = false, upper = false, digit = false, other = false;
  for (unsigned char c : p) {
    if (c >= 'a' && c <= 'z')
      lower = true;
    else if (c >= 'A' && c <= 'Z')
      upper = true;
    else if (c >= '0' && c <= '9')
      digit = true;
    else
      other = true;
  }
  const int kinds = int(lower) + int(upper) + int(digit) + int(other);
  const std::size_t length = characterCount(p);
  std::bitset<256> seen;
  for (unsigned char c : p) seen.set(c);
  if (length < 8 || seen.count() < 4 || (length < 12 && kinds < 2)) return Strength::Weak;
  if ((length >= 12 && kinds >= 3) || (length >= 16 && kinds >= 2)) return Strength::Strong;
  return Strength::Fair;
}

}  // namespace account
