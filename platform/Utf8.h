#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The one UTF-8 decoder and encoder of the project.
namespace platform::utf8 {

// Decodes the code point that starts at text[i]. Returns the length of its
// sequence (1..4) and the code point in cp, or 0 when the sequence is malformed:
// truncated, an overlong form, a surrogate or a value past U+10FFFF.
std::size_t decode(std::string_view text, std::size_t i, char32_t& cp);

// Appends the UTF-8 form of a valid code point.
void append(char32_t cp, std::string& out);

}  // namespace platform::utf8
