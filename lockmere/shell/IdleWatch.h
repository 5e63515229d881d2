#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "lockmere/shell/Jaribium.h"

namespace shell {

// The main window's one reference to the running idle watch.
//
//   shell::IdleWatch idleWatch_{receiver_.handle()};
//   // post-login set-up, and settings stored with AutoLogout ticked:
//   if (settings.AutoLogout) idleWatch_.start(settings.AutoLogoutTime);
//   // logout, and settings stored with AutoLogout unticked:
//   idleWatch_.stop();
//
// Terminated watches end on their own within half a second; they are kept here
// until their threads have ended (the destructor waits for them), so that the
// main thread never waits for a watch that is asking the desktop.
// Use it on one thread (the main window's).
class IdleWatch {
 public:
  using HookFactory = std::function<std::shared_ptr<IdleHook>()>;

  // Watches with the hook library and the system clock.
  explicit IdleWatch(platform::WindowHandle mainWindow);
  IdleWatch(platform::WindowHandle mainWindow, HookFactory hooks, std::shared_ptr<IdleClock> clock);
  ~IdleWatch();
  IdleWatch(const IdleWatch&) = delete;
  IdleWatch& operator=(const IdleWatch&) = delete;

  // Terminates a running watch, then starts a new one with this period in
  // minutes. False when its hook could not be installed: then no watch runs
  // (and none logs out).
  bool start(int periodMinutes);
  // Terminates the running watch and forgets it.
  void stop();
  bool isRunning() const { return current_ && current_->Running(); }
  // The period of the running watch, 0 when none runs.
  int period() const { return isRunning() ? current_->Period() : 0; }

 private:
  void reapEnded();

  const platform::WindowHandle mainWindow_;
  HookFactory hooks_;
  std::shared_ptr<IdleClock> clock_;
  std::unique_ptr<TJaribium> current_;
  std::vector<std::unique_ptr<TJaribium>> ending_;
};

}  // namespace shell
