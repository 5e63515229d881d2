#include "lockmere/users/PasswordAttempts.h"

#include <algorithm>

namespace users {

PasswordAttempts& PasswordAttempts::shared() {
  static PasswordAttempts attempts;
  return attempts;
}

PasswordAttempts::PasswordAttempts(std::function<Clock::time_point()> now) : now_(std::move(now)) {}

std::chrono::seconds PasswordAttempts::waitAfter(int failuresInARow) {
  if (failuresInARow < kFreeAttempts) return std::chrono::seconds(0);
  return std::min(std::chrono::seconds(failuresInARow - kFreeAttempts + 1), kLongestWait);
}

void PasswordAttempts::recordFailure() {
  ++failures_;
  nextAttempt_ = now_() + waitAfter(failures_);
}

void PasswordAttempts::recordSuccess() {
  failures_ = 0;
  nextAttempt_ = {};
}

std::chrono::milliseconds PasswordAttempts::remainingWait() const {
  const auto left = nextAttempt_ - now_();
  if (left <= Clock::duration::zero()) return std::chrono::milliseconds(0);
  // Rounded up: "0 s left" only once the attempt may be made.
  return std::chrono::ceil<std::chrono::milliseconds>(left);
}

}  // namespace users
