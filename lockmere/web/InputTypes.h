#pragma once

#include <array>
#include <string>
#include <string_view>

namespace web {

// Input types that the design's browser did not know and reported as "TEXT".
// Ours reports them by name; wherever an input's type is read or compared they
// count as "TEXT", so that an e-mail or telephone field serves as the ID field.
inline constexpr std::array<std::string_view, 5> kTextLikeTypes = {"EMAIL", "TEL", "URL", "SEARCH", "NUMBER"};

// An element's type as the design's browser reported it: upper case, and "TEXT"
// for the types above.
std::string ReportedType(std::string_view domType);

// A JavaScript function `reportedType(element)` doing the same in a page: ""
// for an element that has no type.
const std::string& ReportedTypeScript();

// A JavaScript expression: the window shows an HTML document (the pages the
// design's browser gave a document for; not a text, image or PDF file).
inline constexpr const char* kIsHtmlDocument =
    "(document.contentType === 'text/html' || document.contentType === 'application/xhtml+xml')";

}  // namespace web
