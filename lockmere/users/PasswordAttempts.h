#pragma once

#include <chrono>
#include <functional>

namespace users {

// Failed password attempts in a row, counted across the login, confirmation
// and deletion windows of the program: after five, each further attempt has to
// wait one second longer than the one before (up to 30 s), so that passwords
// cannot be tried at full speed. A success resets the count.
//
// Main thread only.
class PasswordAttempts {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int kFreeAttempts = 5;
  static constexpr std::chrono::seconds kLongestWait{30};

  // The program's count, shared by its windows.
  static PasswordAttempts& shared();

  explicit PasswordAttempts(std::function<Clock::time_point()> now = Clock::now);

  // The wait before the next attempt after this many failures in a row.
  static std::chrono::seconds waitAfter(int failuresInARow);

  void recordFailure();
  void recordSuccess();
  int failuresInARow() const { return failures_; }

  // How long until the next attempt may be made; zero when it may be made now.
  std::chrono::milliseconds remainingWait() const;

 private:
  std::function<Clock::time_point()> now_;
  int failures_ = 0;
  Clock::time_point nextAttempt_{};
};

}  // namespace users
