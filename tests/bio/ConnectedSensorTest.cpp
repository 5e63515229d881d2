// Waiting for a sensor to be plugged in: the polling thread, its message to the
// utility's hidden window, one poller for the whole program, and what happens
// to a thread whose utility or binding goes away.
#include <gtest/gtest.h>

#include "lockmere/bio/NimbraThread.h"
#include "tests/bio/BioFixture.h"

namespace bio::test {
namespace {

using Kind = ridgeport::sim::RecordedRequest::Kind;

class ConnectedSensorTest : public BioTest {
 protected:
  // A sensor is plugged in whose open always fails; the utility waits for it
  // until the poller has tried the given number of rounds.
  void pollSensorThatCannotOpen(TNimbraUtil& util, Calls& calls, int rounds) {
    plug();
    sim_.failDescriptorRequests(0, 1'000'000);
    ASSERT_TRUE(util.SetConnectedSensorEvent(onConnected(calls)));
    ASSERT_TRUE(waitUntil([&] { return requestCount(0, Kind::Descriptor) >= rounds; }));
  }
};

TEST_F(ConnectedSensorTest, CallbackRunsOnceOnTheMainThreadWhenASensorIsPluggedIn) {
  auto util = makeUtil();
  Calls calls;
  ASSERT_TRUE(util->SetConnectedSensorEvent(onConnected(calls)));
  EXPECT_TRUE(util->IsWaitingForSensor());
  spin(300ms);
  EXPECT_TRUE(calls.events.empty());

  plug();
  ASSERT_TRUE(waitUntil([&] { return !calls.events.empty(); }));
  spin(300ms);
  EXPECT_EQ(calls.events, std::vector<std::string>{"connected"});
  EXPECT_TRUE(calls.allOnMainThread);
  EXPECT_FALSE(util->IsWaitingForSensor());
  // The sensor was left open: opening it again only checks its identity.
  sim_.clearRequests();
  char message[256];
  int error = 1;
  EXPECT_EQ(sdk_->VD_OpenSensor(message, &error), 1);
  EXPECT_EQ(requestCount(0, Kind::Vendor), 0);
  EXPECT_EQ(requestCount(0, Kind::Descriptor), 1);
}

TEST_F(ConnectedSensorTest, KeepsPollingWhileTheSensorCannotBeOpened) {
  auto util = makeUtil();
  Calls calls;
  const auto started = std::chrono::steady_clock::now();
  pollSensorThatCannotOpen(*util, calls, 5);
  if (HasFatalFailure()) return;
  const auto elapsed = std::chrono::steady_clock::now() - started;
  EXPECT_TRUE(calls.events.empty());
  EXPECT_TRUE(util->IsWaitingForSensor());
  // Every failed round is closed again and followed by a 100 ms pause: never
  // more rounds than the pauses allow (a slow machine only makes fewer).
  const int rounds = requestCount(0, Kind::Descriptor);
  EXPECT_LE(rounds, 1 + int(elapsed / 100ms) + 1);
  EXPECT_GE(requestCount(0, Kind::Close), rounds - 1);

  sim_.failDescriptorRequests(0, 0);
  ASSERT_TRUE(waitUntil([&] { return !calls.events.empty(); }));
  spin(300ms);
  EXPECT_EQ(calls.events, std::vector<std::string>{"connected"});
}

TEST_F(ConnectedSensorTest, OnePollerForTheProgram) {
  auto first = makeUtil();
  auto second = makeUtil();
  Calls firstCalls, secondCalls;
  ASSERT_TRUE(first->SetConnectedSensorEvent(onConnected(firstCalls)));
  ASSERT_TRUE(second->SetConnectedSensorEvent(onConnected(secondCalls)));
  EXPECT_FALSE(first->IsWaitingForSensor());  // stopped by the second request
  EXPECT_TRUE(second->IsWaitingForSensor());
  plug();
  ASSERT_TRUE(waitUntil([&] { return !secondCalls.events.empty(); }));
  spin(300ms);
  EXPECT_TRUE(firstCalls.events.empty());
  EXPECT_EQ(secondCalls.count("connected"), 1);
}

TEST_F(ConnectedSensorTest, MessageOfAStoppedPollerIsDropped) {
  plug();
  auto util = makeUtil();
  Calls before, after;
  ASSERT_TRUE(util->SetConnectedSensorEvent(onConnected(before)));
  // Without running the event loop: the poller opens the sensor, posts and ends.
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (util->IsWaitingForSensor() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
  ASSERT_FALSE(util->IsWaitingForSensor());
  // A new request replaces the old poller while its message is still queued.
  ASSERT_TRUE(util->SetConnectedSensorEvent(onConnected(after)));
  ASSERT_TRUE(waitUntil([&] { return !after.events.empty(); }));
  spin(300ms);
  EXPECT_TRUE(before.events.empty());
  EXPECT_EQ(after.events, std::vector<std::string>{"connected"});
}

TEST_F(ConnectedSensorTest, DestroyingAnotherUtilityLeavesThePollerAlone) {
  auto other = makeUtil();
  auto waiting = makeUtil();
  Calls otherCalls, calls;
  ASSERT_TRUE(other->SetConnectedSensorEvent(onConnected(otherCalls)));
  ASSERT_TRUE(waiting->SetConnectedSensorEvent(onConnected(calls)));  // takes the program's poller over
  other.reset();
  EXPECT_TRUE(waiting->IsWaitingForSensor());
  plug();
  ASSERT_TRUE(waitUntil([&] { return !calls.events.empty(); }));
  EXPECT_EQ(calls.count("connected"), 1);
  EXPECT_TRUE(otherCalls.events.empty());
}

TEST_F(ConnectedSensorTest, PollerOutlivesItsUtilityAndBindingWithoutHarm) {
  auto util = makeUtil();
  Calls calls;
  pollSensorThatCannotOpen(*util, calls, 2);
  if (HasFatalFailure()) return;

  // The binding goes first: the running poller keeps the libraries loaded and
  // goes on calling them.
  sdk_.reset();
  EXPECT_EQ(util->NimbraMSDK(), nullptr);
  EXPECT_TRUE(isInProcess("libRidgeport.so"));
  const int seen = requestCount(0, Kind::Descriptor);
  ASSERT_TRUE(waitUntil([&] { return requestCount(0, Kind::Descriptor) >= seen + 2; }));

  // Then the utility: its poller is stopped, ends by itself and gives the
  // libraries back; no callback ever runs.
  util.reset();
  EXPECT_TRUE(waitUntil([] { return !isInProcess("libRidgeport.so"); }));
  spin(200ms);
  EXPECT_TRUE(calls.events.empty());
}

TEST_F(ConnectedSensorTest, StopAllEndsEveryThreadAndReleasesTheLibraries) {
  auto util = makeUtil();
  Calls calls;
  pollSensorThatCannotOpen(*util, calls, 1);
  if (HasFatalFailure()) return;
  sdk_.reset();
  TNimbraThread::StopAll(30s);
  EXPECT_FALSE(util->IsWaitingForSensor());
  EXPECT_TRUE(waitUntil([] { return !isInProcess("libRidgeport.so"); }));
}

}  // namespace
}  // namespace bio::test
