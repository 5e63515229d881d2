#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "lockmere/shell/IdleClock.h"

namespace idletest {

// A clock that moves only when the test says so. The watch's thread waits in
// wait() until the test lets one round run with step(), which moves the time
// by the wait's duration; so a period of minutes passes in a moment and the
// test knows the exact time of every look the watch takes.
class TestClock final : public shell::IdleClock {
 public:
  explicit TestClock(double startDays) : startDays_(startDays) {}

  double now() override;
  bool wait(std::chrono::milliseconds duration, std::stop_token stop) override;

  // Lets the waiting thread run one round, and returns once it waits again.
  // False when no thread waits or it does not come back (it ended).
  bool step(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // Moves the time without letting the thread run.
  void advance(std::chrono::milliseconds by);
  // Milliseconds since the start.
  std::int64_t elapsedMs();
  // How often a thread has begun to wait.
  int waits();

 private:
  const double startDays_;
  std::mutex mutex_;
  std::condition_variable_any changed_;
  std::int64_t elapsedMs_ = 0;
  int waits_ = 0;
  int waiting_ = 0;  // threads inside wait()
  bool released_ = false;
};

}  // namespace idletest
