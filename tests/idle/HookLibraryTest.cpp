// The real hook library, loaded by file name as the program loads it, against
// a real X server (Xvfb, input by xdotool) and a session bus with a fake
// desktop idle monitor. Each test runs in a process of its own, so the
// library's state and the environment start fresh.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "lockmere/shell/IdleClock.h"
#include "lockmere/shell/IdleHook.h"
#include "lockmere/shell/IdleWatch.h"
#include "lockmere/shell/Jaribium.h"
#include "lockmere/tools/lmidhook/LMIDHook.h"
#include "platform/Library.h"
#include "tests/idle/Desktop.h"
#include "tests/idle/Receiver.h"
#include "tests/support/TestEnv.h"

namespace {

using namespace std::chrono_literals;
using idletest::SessionBus;
using idletest::XvfbServer;
using shell::LMIDHookLibrary;

constexpr double kSecondsPerDay = 86'400.0;

double now() { return shell::SystemIdleClock().now(); }

// Seconds between a date-time and now.
double secondsSince(double days) { return (now() - days) * kSecondsPerDay; }

class HookLibrary : public ::testing::Test {
 protected:
  void SetUp() override { idletest::clearDesktopEnvironment(); }

  // The library follows the input of a desktop whose last input came long
  // ago: it reports the install as the last input (a hook sees only what
  // comes after it), then the growing idle time, then the input that the
  // desktop reports after calling reportInput.
  template <class Input>
  void expectFollowsInput(LMIDHookLibrary& hook, Input reportInput) {
    const double installedAt = now();
    ASSERT_TRUE(hook.install()) << hook.errorString();
    auto first = hook.lastInputTime();
    ASSERT_TRUE(first);
    EXPECT_NEAR((*first - installedAt) * kSecondsPerDay, 0.0, 0.5);

    std::this_thread::sleep_for(1500ms);
    auto idle = hook.lastInputTime();
    ASSERT_TRUE(idle);
    EXPECT_NEAR(*idle, *first, 0.5 / kSecondsPerDay) << "no input: the last input time stays";
    EXPECT_GE(secondsSince(*idle), 1.4);

    const double inputFrom = now();
    ASSERT_TRUE(reportInput());
    auto afterInput = hook.lastInputTime();
    ASSERT_TRUE(afterInput);
    EXPECT_GE((*afterInput - inputFrom) * kSecondsPerDay, -0.5);
    EXPECT_LE(secondsSince(*afterInput), secondsSince(inputFrom) + 0.5);
    hook.uninstall();
  }
};

TEST_F(HookLibrary, FailsWithoutDisplayAndWithoutSessionBus) {
  LMIDHookLibrary hook;
  EXPECT_FALSE(hook.install());
  EXPECT_NE(hook.errorString().find("no idle source"), std::string::npos) << hook.errorString();
  EXPECT_FALSE(hook.lastInputTime()) << "no hook, no time";
  EXPECT_FALSE(shell::TJaribium::isIdleSourceAvailable());

  idletest::Receiver window;
  shell::IdleWatch idle(window.handle());
  EXPECT_FALSE(idle.start(1));
  EXPECT_FALSE(idle.isRunning());
}

TEST_F(HookLibrary, FailsForADisplayWithoutServerAndABusWithoutIdleMonitor) {
  int number = 4000;
  while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))) ++number;
  ::setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
  SessionBus bus;
  ASSERT_TRUE(bus.start({})) << bus.errorString();  // a bus with no idle monitor on it
  LMIDHookLibrary hook;
  EXPECT_FALSE(hook.install());
}

TEST_F(HookLibrary, AMissingLibraryIsReported) {
  ::setenv("LOCKMERE_LIB_DIR", testenv::makeTempDir("nolib").c_str(), 1);
  XvfbServer x;
  ASSERT_TRUE(x.start()) << x.errorString();
  LMIDHookLibrary hook;
  EXPECT_FALSE(hook.install());
  EXPECT_NE(hook.errorString().find("libLMIDHook.so"), std::string::npos) << hook.errorString();
  EXPECT_FALSE(shell::TJaribium::isIdleSourceAvailable());
}

TEST_F(HookLibrary, FollowsRealXInput) {
  XvfbServer x;
  ASSERT_TRUE(x.start()) << x.errorString();
  std::this_thread::sleep_for(1500ms);  // the server has been idle since it started
  LMIDHookLibrary hook;
  expectFollowsInput(hook, [&] { return x.pressKey(); });
  EXPECT_TRUE(shell::TJaribium::isIdleSourceAvailable());
}

TEST_F(HookLibrary, KeepsTheLastInputKnownWhenTheXServerGoesAway) {
  XvfbServer x;
  ASSERT_TRUE(x.start()) << x.errorString();
  LMIDHookLibrary hook;
  ASSERT_TRUE(hook.install());
  ASSERT_TRUE(x.pressKey());
  auto before = hook.lastInputTime();
  ASSERT_TRUE(before);

  x.stop();  // Xlib would end the program here by default
  auto after = hook.lastInputTime();
  ASSERT_TRUE(after);
  EXPECT_EQ(*after, *before);
  hook.uninstall();
  EXPECT_FALSE(shell::TJaribium::isIdleSourceAvailable());

  // A server that comes back is found at the next install.
  XvfbServer again;
  ASSERT_TRUE(again.start()) << again.errorString();
  EXPECT_TRUE(hook.install());
  hook.uninstall();
}

TEST_F(HookLibrary, InstallsAreCountedSoOverlappingWatchesKeepTheHook) {
  XvfbServer x;
  ASSERT_TRUE(x.start()) << x.errorString();
  LMIDHookLibrary ending;
  LMIDHookLibrary starting;
  ASSERT_TRUE(ending.install());
  ASSERT_TRUE(starting.install());
  ending.uninstall();  // the replaced watch ends after its successor started
  std::this_thread::sleep_for(300ms);
  const double inputFrom = now();
  ASSERT_TRUE(x.pressKey());
  auto last = starting.lastInputTime();
  ASSERT_TRUE(last);
  EXPECT_GE((*last - inputFrom) * kSecondsPerDay, -0.1) << "the successor still sees the input";
  starting.uninstall();
}

TEST_F(HookLibrary, FollowsGnomesIdleMonitorInAWaylandSession) {
  ::setenv("WAYLAND_DISPLAY", "wayland-test", 1);
  SessionBus bus;
  // The desktop has been idle for ten minutes before the hook is installed.
  ASSERT_TRUE(bus.start({"--mutter", "--idle-ms", "600000"})) << bus.errorString();
  LMIDHookLibrary hook;
  expectFollowsInput(hook, [&] {
    return bus.call("org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core",
                    "org.gnome.Mutter.IdleMonitor", "ResetIdletime");
  });
}

TEST_F(HookLibrary, FollowsTheFreedesktopScreenSaverInAWaylandSession) {
  ::setenv("XDG_SESSION_TYPE", "wayland", 1);
  SessionBus bus;
  ASSERT_TRUE(bus.start({"--freedesktop", "--idle-ms", "600000"})) << bus.errorString();
  LMIDHookLibrary hook;
  expectFollowsInput(hook, [&] {
    return bus.call("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
                    "SimulateUserActivity");
  });
}

TEST_F(HookLibrary, FollowsTheIdleMonitorOnX11WhenTheXServerHasNoAnswer) {
  SessionBus bus;  // no DISPLAY: an X11 session whose server is not reachable
  ASSERT_TRUE(bus.start({"--mutter"})) << bus.errorString();
  LMIDHookLibrary hook;
  EXPECT_TRUE(hook.install());
  hook.uninstall();
}

TEST_F(HookLibrary, AWaylandSessionDoesNotTrustItsXServer) {
  // The X server of a Wayland session sees only input to X programs; a desktop
  // that offers no idle monitor (its screen saver says "not supported") leaves
  // the hook uninstalled rather than logging out a user who types elsewhere.
  XvfbServer x;
  ASSERT_TRUE(x.start()) << x.errorString();
  ::setenv("WAYLAND_DISPLAY", "wayland-test", 1);
  SessionBus bus;
  ASSERT_TRUE(bus.start({"--freedesktop-unsupported"})) << bus.errorString();
  LMIDHookLibrary hook;
  EXPECT_FALSE(hook.install());
  EXPECT_FALSE(shell::TJaribium::isIdleSourceAvailable());
}

TEST_F(HookLibrary, TheWatchRunsOnTheRealLibraryAndGivesItBack) {
  XvfbServer x;
  ASSERT_TRUE(x.start()) << x.errorString();
  idletest::Receiver window;
  {
    shell::IdleWatch idle(window.handle());
    ASSERT_TRUE(idle.start(1));
    EXPECT_TRUE(idle.isRunning());
    std::this_thread::sleep_for(1200ms);  // a few looks at the library
    idle.stop();
  }
  EXPECT_TRUE(window.messages().empty());
  // Every install was given back: the library holds no hook any more.
  platform::Library library("LMIDHook.dll");
  ASSERT_TRUE(library.load()) << library.errorString();
  auto getLastDateTime = library.resolve<GetLastDateTimeFn>("GetLastDateTime");
  ASSERT_NE(getLastDateTime, nullptr);
  EXPECT_EQ(getLastDateTime(), 0.0);
}

}  // namespace
