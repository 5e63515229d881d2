#include "tests/idle/TestClock.h"

namespace idletest {

double TestClock::now() {
  std::lock_guard lock(mutex_);
  return startDays_ + static_cast<double>(elapsedMs_) / 86'400'000.0;
}

bool TestClock::wait(std::chrono::milliseconds duration, std::stop_token stop) {
  std::unique_lock lock(mutex_);
  ++waits_;
  ++waiting_;
  changed_.notify_all();
  const bool released = changed_.wait(lock, stop, [this] { return released_; });
  --waiting_;
  changed_.notify_all();
  if (!released) return false;
  released_ = false;
  elapsedMs_ += duration.count();
  return true;
}

bool TestClock::step(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (!changed_.wait_for(lock, timeout, [this] { return waiting_ > 0; })) return false;
  const int before = waits_;
  released_ = true;
  changed_.notify_all();
  return changed_.wait_for(lock, timeout, [&] { return waits_ > before && waiting_ > 0; });
}

void TestClock::advance(std::chrono::milliseconds by) {
  std::lock_guard lock(mutex_);
  elapsedMs_ += by.count();
}

std::int64_t TestClock::elapsedMs() {
  std::lock_guard lock(mutex_);
  return elapsedMs_;
}

int TestClock::waits() {
  std::lock_guard lock(mutex_);
  return waits_;
}

}  // namespace idletest
