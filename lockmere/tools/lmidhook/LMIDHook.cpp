#include "LMIDHook.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <mutex>

#include "IdleSource.h"

namespace {

using namespace std::chrono;

constexpr double kUnixEpochDays = 25569.0;  // 1970-01-01 in days since 1899-12-30
constexpr double kMillisecondsPerDay = 86'400'000.0;

// The local wall clock now, in days since 1899-12-30.
double localNowDays() {
  const auto now = system_clock::now();
  const time_t seconds = system_clock::to_time_t(now);
  struct tm local {};
  localtime_r(&seconds, &local);
  const double fraction = duration<double>(now - system_clock::from_time_t(seconds)).count();
  return kUnixEpochDays + (static_cast<double>(seconds) + static_cast<double>(local.tm_gmtoff) + fraction) / 86'400.0;
}

class Hook {
 public:
  bool install() {
    std::lock_guard lock(mutex_);
    if (!source_ || !source_->idleMilliseconds()) {
      auto found = findAnsweringSource();
      // A source that stopped answering stays with the installs already made.
      if (!found) return false;
      source_ = std::move(found);
    }
    ++installs_;
    // A hook sees only the input that comes after it is in place.
    installedAt_ = steady_clock::now();
    lastInput_ = localNowDays();
    return true;
  }

  void uninstall() {
    std::lock_guard lock(mutex_);
    if (installs_ == 0) return;
    if (--installs_ == 0) source_.reset();
  }

  double lastInput() {
    std::lock_guard lock(mutex_);
    if (installs_ == 0) return 0.0;
    // When the desktop does not answer, the last input known stays the answer.
    if (auto idle = source_ ? source_->idleMilliseconds() : std::nullopt) {
      const std::uint64_t sinceInstall = duration_cast<milliseconds>(steady_clock::now() - installedAt_).count();
      const std::uint64_t idleMs = std::min(*idle, sinceInstall);
      // Now less the idle time on the local clock, so that the difference with
      // the local time now is the idle time even across a daylight-saving change.
      lastInput_ = localNowDays() - static_cast<double>(idleMs) / kMillisecondsPerDay;
    }
    return lastInput_;
  }

 private:
  static std::unique_ptr<lmidhook::IdleSource> findAnsweringSource() {
    for (auto& source : lmidhook::candidateSources())
      if (source->idleMilliseconds()) return std::move(source);
    return nullptr;
  }

  std::mutex mutex_;
  int installs_ = 0;
  std::unique_ptr<lmidhook::IdleSource> source_;
  steady_clock::time_point installedAt_;
  double lastInput_ = 0.0;
};

Hook& hook() {
  static Hook instance;
  return instance;
}

}  // namespace

LMIDHOOK_API bool SetKBnMouseHook() noexcept {
  try {
    return hook().install();
  } catch (...) {
    return false;
  }
}

LMIDHOOK_API void UnKBnMouseHook() noexcept {
  try {
    hook().uninstall();
  } catch (...) {
  }
}

LMIDHOOK_API double GetLastDateTime() noexcept {
  try {
    return hook().lastInput();
  } catch (...) {
    return 0.0;
  }
}
