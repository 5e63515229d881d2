#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Text forms the stored formats need beside the UTF-8 we keep in memory.
namespace store::text {

bool isAscii(std::string_view bytes);

// Bytes the text takes in the code page (949): one for ASCII, two for any
// other character. Invalid UTF-8 counts one a byte.
std::size_t codePageLength(std::string_view utf8);

// UTF-16 code units of valid UTF-8 text; nullopt when it is not valid UTF-8.
std::optional<std::size_t> utf16Length(std::string_view utf8);

// Valid UTF-8 -> UTF-16LE bytes (appended to out). False for invalid UTF-8.
bool appendUtf16le(std::string_view utf8, std::string& out);
// UTF-16LE bytes (an even count) -> UTF-8. Nullopt for an unpaired surrogate.
std::optional<std::string> utf16leToUtf8(std::string_view utf16le);

bool isValidUtf8(std::string_view bytes);

// UTF-8 <-> code-page bytes. Nullopt when the text has no code-page form
// (or the bytes are not valid code-page text).
std::optional<std::string> toCodePage(std::string_view utf8);
std::optional<std::string> fromCodePage(std::string_view bytes);

// Removes leading and trailing blanks and control characters (bytes up to 0x20).
std::string_view trimmed(std::string_view bytes);

}  // namespace store::text
