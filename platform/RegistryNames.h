#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryResult.h"

// Rules for key paths and value names, and the case folding that makes them
// case-insensitive while the store keeps the case they were created with.
namespace platform::registry {

constexpr std::size_t kMaxKeyNameLength = 255;      // characters of one path segment
constexpr std::size_t kMaxValueNameLength = 16383;  // characters
constexpr std::size_t kMaxPathDepth = 512;
constexpr std::size_t kMaxDataSize = 1 << 20;  // bytes of one value

// Upper-cases each character with a fixed one-to-one table (Latin, Greek, Cyrillic,
// Armenian, fullwidth Latin); other characters stay as they are. Fixed, so that names
// stored by one program compare the same in every other, whatever the locale.
// Expects valid UTF-8.
std::string foldCase(std::string_view utf8);

bool isValidUtf8(std::string_view text);

// Splits "\Software\Veradynics\Lockmere" (leading and one trailing backslash optional)
// into its segments. The empty path and "\" name the key itself (no segments).
RegistryResult splitKeyPath(std::string_view path, std::vector<std::string>& segments);

// A value name: any valid UTF-8 without NUL, up to kMaxValueNameLength characters.
// The empty name is the key's unnamed default value.
RegistryResult checkValueName(std::string_view name);

}  // namespace platform::registry
