#pragma once

#include <cstddef>
#include <string_view>

#include "lockmere/tools/account/core/Problem.h"

// The rules a new user ID and a new password must meet, and the hint the
// windows show about a password's strength.
namespace account {

// The owner field of a template record is 50 bytes with room for its NUL.
inline constexpr std::size_t kMaxIdBytes = 49;

// Problem::None when id can name a new user: not empty, at most 49 bytes in
// code page 949, no blank or control character at either end (the program
// trims those), no control character inside, no backslash (it would be a
// registry path). Whether the ID is taken is the registry's question.
Problem checkNewId(std::string_view id);

// A password must not be empty once blanks and control characters at either
// end are removed (the password key ignores them), and must have a code-page
// form (the password key hashes code-page bytes).
Problem checkNewPassword(std::string_view password);
// checkNewPassword, and both entries equal.
Problem checkNewPassword(std::string_view password, std::string_view repeated);

enum class Strength { Empty, Weak, Fair, Strong };

// Length and variety: fewer than 8 characters, fewer than 4 different ones,
// or fewer than 12 of a single kind is weak; 12 or more of three kinds (lower
// case, upper case, digits, others), or 16 or more of two, is strong; the rest
// fair.
Strength passwordStrength(std::string_view password);

}  // namespace account
