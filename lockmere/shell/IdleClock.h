#pragma once

#include <chrono>
#include <stop_token>

namespace shell {

// The idle watch's clock: the local time, and the pause between two looks.
// The program's is SystemIdleClock; tests step time by hand, so that a period
// of minutes passes at once.
class IdleClock {
 public:
  virtual ~IdleClock() = default;
  // Days since 1899-12-30, local time.
  virtual double now() = 0;
  // Waits for the duration; returns false at once when stop is requested.
  virtual bool wait(std::chrono::milliseconds duration, std::stop_token stop) = 0;
};

class SystemIdleClock final : public IdleClock {
 public:
  double now() override;
  bool wait(std::chrono::milliseconds duration, std::stop_token stop) override;
};

}  // namespace shell
