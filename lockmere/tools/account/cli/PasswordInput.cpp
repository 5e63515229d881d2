#include "lockmere/tools/account/cli/PasswordInput.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "lockmere/crypto/SecureBytes.h"

namespace account::cli {
namespace {

// Echo off on the terminal while it lives.
class HiddenTyping {
 public:
  HiddenTyping() {
    if (::tcgetattr(STDIN_FILENO, &saved_) != 0) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    active_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
  }
  ~HiddenTyping() {
    if (active_) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
  }

 private:
  termios saved_{};
  bool active_ = false;
};

}  // namespace

PasswordInput::PasswordInput() : in_(std::cin), terminal_(::isatty(STDIN_FILENO) == 1) {}

PasswordInput::PasswordInput(std::istream& in) : in_(in), terminal_(false) {}

std::optional<std::string> PasswordInput::readLine(const std::string& prompt) {
  std::string line;
  bool got = false;
  if (terminal_) {
    std::cerr << prompt << ": " << std::flush;
    HiddenTyping hidden;
    got = static_cast<bool>(std::getline(in_, line));
    std::cerr << '\n';
  } else {
    got = static_cast<bool>(std::getline(in_, line));
  }
  if (!got) {
    error_ = "no password on standard input (" + prompt + ")";
    return std::nullopt;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<std::string> PasswordInput::read(const std::string& prompt) { return readLine(prompt); }

std::optional<std::string> PasswordInput::readNew(const std::string& prompt) {
  if (!terminal_) return readLine(prompt);
  for (int attempt = 0; attempt < 3; ++attempt) {
    auto first = readLine(prompt);
    if (!first) return std::nullopt;
    auto second = readLine(prompt + " (again)");
    if (!second) return std::nullopt;
    if (*first == *second) {
      crypto::wipe(*second);
      return first;
    }
    crypto::wipe(*first);
    crypto::wipe(*second);
    std::cerr << "The two passwords differ; once more.\n";
  }
  error_ = "the two passwords differed three times";
  return std::nullopt;
}

}  // namespace account::cli
