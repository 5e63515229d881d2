// One minute in real time: the watch on the real hook library and the system
// clock, under an X server of its own, logs out 60 to 61 seconds after the
// last real input.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "lockmere/shell/IdleWatch.h"
#include "tests/idle/Desktop.h"
#include "tests/idle/Receiver.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(IdleWatchRealTime, OneMinuteWithoutInputLogsOutAfter60To61Seconds) {
  idletest::clearDesktopEnvironment();
  idletest::XvfbServer x;
  ASSERT_TRUE(x.start()) << x.errorString();
  idletest::Receiver window;
  shell::IdleWatch idle(window.handle());
  ASSERT_TRUE(idle.start(1));

  std::this_thread::sleep_for(2s);
  // The key press happens between these two moments.
  const Clock::time_point before = Clock::now();
  ASSERT_TRUE(x.pressKey());
  const Clock::time_point after = Clock::now();

  Clock::time_point loggedOut{};
  while (Clock::now() - after < 90s) {
    if (!window.messages().empty()) {
      loggedOut = Clock::now();
      break;
    }
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_NE(loggedOut, Clock::time_point{}) << "no logout within 90 s";
  const double sinceBefore = std::chrono::duration<double>(loggedOut - before).count();
  const double sinceAfter = std::chrono::duration<double>(loggedOut - after).count();
  std::printf("logged out %.3f to %.3f s after the last input\n", sinceAfter, sinceBefore);
  EXPECT_GE(sinceBefore, 60.0);
  EXPECT_LE(sinceAfter, 61.0);
  EXPECT_EQ(window.messages().front().message, 0x7F2u);
  EXPECT_EQ(window.messages().front().wParam, 1);
  idle.stop();
}

}  // namespace
