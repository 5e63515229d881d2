#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace cdp {

// How the program's browser is started.
struct LaunchOptions {
  std::string executable;              // the Chromium program
  std::string profileDir;              // its own profile, kept between runs
  bool headless = false;               // no window (tests, benchmarks)
  std::vector<std::string> extraArgs;  // more switches

  // The user's browser: Chromium from $LOCKMERE_BROWSER or the search path, the
  // profile in paths::dataDir() + "/browser". LOCKMERE_BROWSER_HEADLESS=1 starts it
  // without a window; LOCKMERE_BROWSER_ARGS adds switches (blank-separated).
  static LaunchOptions fromEnvironment();
};

// The browser's process: started with a socket on descriptors 3 and 4, on which
// it reads and writes the DevTools protocol (--remote-debugging-pipe). No port is
// ever opened, so no other program can drive it. It starts without a window (the
// program opens the windows it needs) and ends by itself when our end of the
// socket closes.
class BrowserProcess {
 public:
  BrowserProcess() = default;
  ~BrowserProcess();
  BrowserProcess(const BrowserProcess&) = delete;
  BrowserProcess& operator=(const BrowserProcess&) = delete;

  // Starts the browser; returns our end of the socket (close-on-exec; the caller
  // owns it). Throws AutomationError when it cannot.
  int start(const LaunchOptions& options);

  pid_t pid() const { return pid_; }
  bool started() const { return pid_ > 0; }
  // True once the process has ended (reaps it).
  bool hasExited();
  // Ends the process and its children: waits up to grace for it to end by
  // itself, then kills the process group, and reaps it.
  void stop(std::chrono::milliseconds grace);

  // The switches the browser is started with.
  static std::vector<std::string> arguments(const LaunchOptions& options);
  // Turns the browser's own password manager off in the profile and marks its
  // last run as ended normally (a run that ended with the program is no crash to
  // offer a restore for), keeping every other preference.
  static void prepareProfile(const std::string& profileDir);

 private:
  void reap();

  pid_t pid_ = -1;
};

}  // namespace cdp
