#include "lockmere/shell/IdleClock.h"

#include <time.h>

#include <condition_variable>
#include <mutex>

namespace shell {

double SystemIdleClock::now() {
  using namespace std::chrono;
  constexpr double kUnixEpochDays = 25569.0;  // 1970-01-01 in days since 1899-12-30
  const auto instant = system_clock::now();
  const time_t seconds = system_clock::to_time_t(instant);
  struct tm local {};
  localtime_r(&seconds, &local);
  const double secondsOfLocalClock = static_cast<double>(seconds) + static_cast<double>(local.tm_gmtoff) +
                                     duration<double>(instant - system_clock::from_time_t(seconds)).count();
  return kUnixEpochDays + secondsOfLocalClock / 86'400.0;
}

bool SystemIdleClock::wait(std::chrono::milliseconds duration, std::stop_token stop) {
  std::mutex mutex;
  std::condition_variable_any wake;
  std::unique_lock lock(mutex);
  // Nothing but a stop request wakes it early.
  wake.wait_for(lock, stop, duration, [] { return false; });
  return !stop.stop_requested();
}

}  // namespace shell
