#pragma once

#include <istream>
#include <optional>
#include <string>

namespace account::cli {

// Passwords come from standard input, never from the command line. At a
// terminal the prompt goes to standard error and the typing is not echoed,
// and a new password is asked twice; from a pipe every password is one line
// (its line break removed), in the order the command asks for them.
class PasswordInput {
 public:
  PasswordInput();
  // For tests: a stream that is not a terminal.
  explicit PasswordInput(std::istream& in);

  // One password; nullopt (with error()) at the end of the input.
  std::optional<std::string> read(const std::string& prompt);
  // A new password: at a terminal twice, until both agree (three tries).
  std::optional<std::string> readNew(const std::string& prompt);
  const std::string& error() const { return error_; }

 private:
  std::optional<std::string> readLine(const std::string& prompt);

  std::istream& in_;
  bool terminal_;
  std::string error_;
};

}  // namespace account::cli
