#pragma once

#include <string>
#include <string_view>

// How a site record names the fields of a login form. A field is named by its
// name attribute, as the design's records do. A field without a name is named
// by its id behind kIdKeyPrefix; a field with neither is left unnamed (an empty
// string) and found by its position at login.
//
// The prefix begins with a carriage return. Markup cannot put one into a name
// but through a character reference, and the fill looks every key up as a name
// first: a key that happens to be a page's real name finds that field, exactly
// as before; only where no field has that name is it read as an id.
namespace web {

inline constexpr std::string_view kIdKeyPrefix = "\r#";

// The key of a field without a name: kIdKeyPrefix and its id.
inline std::string IdKey(std::string_view id) { return std::string(kIdKeyPrefix) + std::string(id); }
inline bool IsIdKey(std::string_view key) { return key.substr(0, kIdKeyPrefix.size()) == kIdKeyPrefix; }

// What the fill asks for when a record leaves the ID or the password field
// unnamed: the field at its position (the login form's first password field, the
// ID field before it). Never stored.
inline constexpr std::string_view kPositionIdKey = "\r@id";
inline constexpr std::string_view kPositionPasswordKey = "\r@password";

}  // namespace web
