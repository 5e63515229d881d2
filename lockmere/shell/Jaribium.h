#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "lockmere/shell/IdleClock.h"
#include "lockmere/shell/IdleHook.h"
#include "platform/WindowMessages.h"

namespace shell {

// The idle watch: a thread that looks at the last input time twice a second
// and posts kIdleLogout (0x7F2, wParam 1) to the target window while the time
// since the last input is longer than the period. It goes on posting every
// half second until it is terminated (the main window ignores the messages that
// arrive after its logout).
//
// Creation reads the clock as the last input and installs the hook; only a
// watch whose hook is in place starts its thread, so a watch on a desktop that
// reports no idle time never runs and never logs out. The thread touches only
// its own fields, the hook and the clock; it reaches the window only by the
// posted message, and ends by itself when the window is gone.
//
// The main window uses IdleWatch, which keeps a terminated watch until its
// thread has ended.
class TJaribium {
 public:
  static constexpr std::chrono::milliseconds kInterval{500};

  // A period below one minute is taken as one minute (the settings window's
  // least), so that a damaged setting cannot log out every half second.
  TJaribium(platform::WindowHandle target, int periodMinutes, std::shared_ptr<IdleHook> hook,
            std::shared_ptr<IdleClock> clock);
  // Terminates and waits for the thread; the hook is given back by then.
  ~TJaribium();
  TJaribium(const TJaribium&) = delete;
  TJaribium& operator=(const TJaribium&) = delete;

  // Asks the thread to end; its wait ends at once. Returns without waiting.
  void Terminate();
  // Whether the hook was installed and the thread started.
  bool Started() const { return started_; }
  // Started and not yet ended.
  bool Running() const { return started_ && !finished_; }
  int Period() const { return period_; }

  // Whether the hook library can follow the input on this desktop (it loads and
  // an idle source answers). The settings window asks this to say that
  // automatic logout is unavailable. May take up to a few seconds when a
  // desktop service hangs.
  static bool isIdleSourceAvailable();

 private:
  void Execute(std::stop_token stop);
  void releaseHook();

  const platform::WindowHandle target_;
  const int period_;
  double lastInput_;  // days since 1899-12-30; read and written by the thread only once it runs
  std::shared_ptr<IdleHook> hook_;
  std::shared_ptr<IdleClock> clock_;
  std::atomic<bool> hookInstalled_{false};
  std::atomic<bool> finished_{false};
  bool started_ = false;
  std::jthread thread_;  // last: stopped and joined before the fields above go
};

}  // namespace shell
