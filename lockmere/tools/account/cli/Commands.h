#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "lockmere/tools/account/cli/PasswordInput.h"

namespace account::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// The usage text.
std::string usage();

// Runs one command line (without the program's name); results on out, one
// line of error on err. The exit status.
int run(const std::vector<std::string>& arguments, PasswordInput& passwords, std::ostream& out, std::ostream& err);

}  // namespace account::cli
