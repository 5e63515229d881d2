#pragma once

#include <string>

namespace account {

// The whole file; false with errno's text in *why when it cannot be read.
bool readWholeFile(const std::string& path, std::string& out, std::string* why = nullptr);

}  // namespace account
