#pragma once

#include <optional>
#include <string>
#include <string_view>

// Code page 949 (Korean, a superset of EUC-KR) <-> UTF-8. Stored formats that
// hold code-page text (stream strings, user IDs in key blocks and records,
// password bytes that enter MD5) use it so that files match the original bytes.
namespace platform::cp949 {

// UTF-8 -> CP949 bytes. Empty optional when the input is not valid UTF-8 or
// holds a character that CP949 cannot represent.
std::optional<std::string> fromUtf8(std::string_view utf8);

// CP949 bytes -> UTF-8. Empty optional when the bytes are not valid CP949.
std::optional<std::string> toUtf8(std::string_view cp949);

}  // namespace platform::cp949
