// The watch's real thread, with the test's clock and input: minutes pass in
// steps of the watch's own half-second wait.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "lockmere/shell/IdleWatch.h"
#include "lockmere/shell/Jaribium.h"
#include "tests/idle/Receiver.h"
#include "tests/idle/TestClock.h"
#include "tests/idle/TestInput.h"

namespace {

using namespace std::chrono_literals;
using idletest::Receiver;
using idletest::TestClock;
using idletest::TestInput;
using shell::TJaribium;

constexpr double kStart = 45'000.25;  // a day at 06:00
constexpr double kMsPerDay = 86'400'000.0;

// Steps the watch until the receiver has a message or the clock reaches
// untilMs; the clock's milliseconds at the first message, or -1.
std::int64_t firstMessageAt(TestClock& clock, Receiver& window, std::int64_t untilMs) {
  const std::size_t before = window.messages().size();
  while (clock.elapsedMs() < untilMs) {
    if (!clock.step()) return -2;
    if (window.messages().size() > before) return clock.elapsedMs();
  }
  return -1;
}

bool waitUntilEnded(const TJaribium& watch) {
  for (int i = 0; i < 2000 && watch.Running(); ++i) std::this_thread::sleep_for(10ms);
  return !watch.Running();
}

struct Watch {
  std::shared_ptr<TestClock> clock = std::make_shared<TestClock>(kStart);
  std::shared_ptr<TestInput> input = std::make_shared<TestInput>(kStart);
  Receiver window;
};

TEST(Jaribium, FirstLogoutComesBetween60And60Point5SecondsAfterTheLastInputAndRepeatsUntilTerminated) {
  Watch w;
  TJaribium watch(w.window.handle(), 1, w.input, w.clock);
  ASSERT_TRUE(watch.Running());

  const std::int64_t at = firstMessageAt(*w.clock, w.window, 70'000);
  EXPECT_GE(at, 60'000);
  EXPECT_LE(at, 60'500);
  const platform::Message& logout = w.window.messages().at(0);
  EXPECT_EQ(logout.message, 0x7F2u);
  EXPECT_EQ(logout.wParam, 1);
  EXPECT_EQ(logout.lParam, 0);

  // Until the main window's logout terminates it, every look posts again.
  ASSERT_TRUE(w.clock->step());
  ASSERT_TRUE(w.clock->step());
  EXPECT_EQ(w.window.messages().size(), 3u);

  watch.Terminate();
  ASSERT_TRUE(waitUntilEnded(watch));
  EXPECT_EQ(w.window.messages().size(), 3u);
  EXPECT_EQ(w.input->installed(), 0) << "the hook is given back when the thread ends";
}

TEST(Jaribium, InputResetsTheCount) {
  Watch w;
  TJaribium watch(w.window.handle(), 1, w.input, w.clock);
  ASSERT_EQ(firstMessageAt(*w.clock, w.window, 50'000), -1);

  w.input->input(w.clock->now());  // input at 50 s
  const std::int64_t at = firstMessageAt(*w.clock, w.window, 120'000);
  EXPECT_GE(at, 110'000);
  EXPECT_LE(at, 110'500);
}

TEST(Jaribium, NoLogoutWhenTheIdleTimeEqualsThePeriodOnlyWhenLonger) {
  // A period of one day and times that are exact in floating point: at one day
  // the elapsed minutes are exactly 1440.
  auto clock = std::make_shared<TestClock>(45'000.0);
  auto input = std::make_shared<TestInput>(45'000.0);
  Receiver window;
  TJaribium watch(window.handle(), 1440, input, clock);
  clock->advance(std::chrono::milliseconds(86'400'000 - 500));
  ASSERT_TRUE(clock->step());
  ASSERT_EQ(clock->now(), 45'001.0);
  EXPECT_TRUE(window.messages().empty());

  ASSERT_TRUE(clock->step());
  EXPECT_EQ(window.messages().size(), 1u);
}

TEST(Jaribium, AFailedCallKeepsTheLastInputKnown) {
  Watch w;
  TJaribium watch(w.window.handle(), 1, w.input, w.clock);
  ASSERT_EQ(firstMessageAt(*w.clock, w.window, 30'000), -1);
  w.input->input(w.clock->now());  // input at 30 s, seen
  ASSERT_EQ(firstMessageAt(*w.clock, w.window, 40'000), -1);

  // The desktop stops answering: neither the input at 50 s nor a failure moves
  // the count (a failure is not taken for input, nor for "no input ever").
  w.input->setFailing(true);
  ASSERT_EQ(firstMessageAt(*w.clock, w.window, 50'000), -1);
  w.input->input(w.clock->now());
  const std::int64_t at = firstMessageAt(*w.clock, w.window, 100'000);
  EXPECT_GE(at, 90'000);
  EXPECT_LE(at, 90'500);
}

TEST(Jaribium, AWatchWhoseHookFailedNeverRuns) {
  auto clock = std::make_shared<TestClock>(kStart);
  auto input = std::make_shared<TestInput>(kStart - 1.0, /*installs=*/false);  // idle for a day
  Receiver window;
  {
    TJaribium watch(window.handle(), 1, input, clock);
    EXPECT_FALSE(watch.Started());
    EXPECT_FALSE(watch.Running());
  }
  EXPECT_EQ(clock->waits(), 0) << "a thread that had started would have waited";
  EXPECT_EQ(input->installed(), 0) << "a hook that was not installed is not removed";
  EXPECT_TRUE(window.messages().empty());
}

TEST(Jaribium, TerminateEndsTheWaitAtOnce) {
  Watch w;
  TJaribium watch(w.window.handle(), 1, w.input, w.clock);
  ASSERT_TRUE(w.clock->step());
  // The clock never lets the wait end by itself: only the stop request does.
  watch.Terminate();
  EXPECT_TRUE(waitUntilEnded(watch));
  EXPECT_EQ(w.input->installed(), 0);
}

TEST(Jaribium, EndsWhenItsWindowIsGone) {
  Watch w;
  auto window = std::make_unique<Receiver>();
  TJaribium watch(window->handle(), 1, w.input, w.clock);
  window.reset();
  w.clock->advance(2min);
  w.clock->step(200ms);  // the post fails; the thread does not come back to wait
  EXPECT_TRUE(waitUntilEnded(watch));
  EXPECT_EQ(w.input->installed(), 0);
}

TEST(Jaribium, APeriodBelowOneMinuteIsOneMinute) {
  Watch w;
  TJaribium watch(w.window.handle(), 0, w.input, w.clock);
  EXPECT_EQ(watch.Period(), 1);
  const std::int64_t at = firstMessageAt(*w.clock, w.window, 70'000);
  EXPECT_GE(at, 60'000);
  EXPECT_LE(at, 60'500);
}

TEST(IdleWatch, StartReplacesTheRunningWatchAndStopEndsIt) {
  auto clock = std::make_shared<TestClock>(kStart);
  auto input = std::make_shared<TestInput>(kStart);
  Receiver window;
  shell::IdleWatch idle(
      window.handle(), [&] { return input; }, clock);
  EXPECT_FALSE(idle.isRunning());

  ASSERT_TRUE(idle.start(1));
  EXPECT_EQ(idle.period(), 1);
  ASSERT_TRUE(idle.start(3));  // settings stored with a new period
  EXPECT_EQ(idle.period(), 3);
  EXPECT_TRUE(idle.isRunning());

  // The replaced watch ends by itself and gives its hook back; only the new
  // one looks from then on, and it counts three minutes, not one.
  for (int i = 0; i < 2000 && input->installed() != 1; ++i) std::this_thread::sleep_for(10ms);
  ASSERT_EQ(input->installed(), 1);
  const std::int64_t at = firstMessageAt(*clock, window, 200'000);
  EXPECT_GE(at, 180'000);
  EXPECT_LE(at, 180'500);

  idle.stop();
  EXPECT_FALSE(idle.isRunning());
  EXPECT_EQ(idle.period(), 0);
  for (int i = 0; i < 2000 && input->installed() != 0; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(input->installed(), 0);
  const std::size_t messages = window.messages().size();
  EXPECT_FALSE(clock->step(200ms)) << "no watch looks any more";
  EXPECT_EQ(window.messages().size(), messages);
}

TEST(IdleWatch, NothingRunsWhenTheHookCannotBeInstalled) {
  auto clock = std::make_shared<TestClock>(kStart);
  auto input = std::make_shared<TestInput>(kStart, /*installs=*/false);
  Receiver window;
  shell::IdleWatch idle(
      window.handle(), [&] { return input; }, clock);
  EXPECT_FALSE(idle.start(1));
  EXPECT_FALSE(idle.isRunning());
  EXPECT_EQ(idle.period(), 0);
  EXPECT_EQ(clock->waits(), 0);
}

TEST(IdleWatch, DestroyingItWaitsForEveryWatchAndGivesBackEveryHook) {
  auto clock = std::make_shared<TestClock>(kStart);
  auto input = std::make_shared<TestInput>(kStart);
  Receiver window;
  {
    shell::IdleWatch idle(
        window.handle(), [&] { return input; }, clock);
    ASSERT_TRUE(idle.start(1));
    ASSERT_TRUE(idle.start(2));
    ASSERT_TRUE(idle.start(3));
  }
  EXPECT_EQ(input->installed(), 0);
}

}  // namespace
