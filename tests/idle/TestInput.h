#pragma once

#include <mutex>
#include <optional>

#include "lockmere/shell/IdleHook.h"

namespace idletest {

// Input that the test makes: it stands in for the desktop, whose last input
// time the test sets by hand.
class TestInput final : public shell::IdleHook {
 public:
  explicit TestInput(double lastInputDays, bool installs = true) : last_(lastInputDays), installs_(installs) {}

  bool install() override {
    std::lock_guard lock(mutex_);
    if (installs_) ++installed_;
    return installs_;
  }
  void uninstall() override {
    std::lock_guard lock(mutex_);
    --installed_;
  }
  std::optional<double> lastInputTime() override {
    std::lock_guard lock(mutex_);
    if (failing_) return std::nullopt;
    return last_;
  }

  void input(double atDays) {
    std::lock_guard lock(mutex_);
    last_ = atDays;
  }
  // While failing, every call fails (as a desktop that stopped answering).
  void setFailing(bool failing) {
    std::lock_guard lock(mutex_);
    failing_ = failing;
  }
  // Installs not yet given back (negative: given back more often than taken).
  int installed() {
    std::lock_guard lock(mutex_);
    return installed_;
  }

 private:
  std::mutex mutex_;
  double last_;
  bool installs_;
  bool failing_ = false;
  int installed_ = 0;
};

}  // namespace idletest
