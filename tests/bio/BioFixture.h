#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lockmere/bio/NimbraSDK.h"
#include "lockmere/bio/NimbraUtil.h"
#include "ridgeport/sim/SensorSimulator.h"

namespace bio::test {

using namespace std::chrono_literals;

// Runs the main thread's event loop until the condition holds or the (generous)
// time is up; returns the condition.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 60s);
// Runs the event loop for a while.
void spin(std::chrono::milliseconds duration);

// Whether a shared library with this file name ("libRidgecore.so") is in the process.
bool isInProcess(const std::string& fileName);

// A folder for LOCKMERE_LIB_DIR holding symbolic links to some of the built
// libraries (target name -> file in the build's bin folder).
std::string libraryFolder(const std::vector<std::pair<std::string, std::string>>& links);

// An impression of the real fingerprint sets (paper polarity: dark ridges).
ridgeport::sim::GreyImage sampleFinger(const std::string& name, const std::string& set = "fvc2002_db1_b");

// What the callbacks of one utility saw, in order.
struct Calls {
  std::vector<std::string> events;  // "connected", "enrolled 1", "enroll-error 1 -7", "verified 1", "verify-error 7 -7"
  bool allOnMainThread = true;

  int count(const std::string& prefix) const;
  std::string last() const { return events.empty() ? std::string() : events.back(); }
  void add(std::string event);
};

// A simulated sensor in this process and a loaded binding; the library starts
// with its sensor closed. Threads left running are stopped at the end.
class BioTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Plugs device n (identity A by default) that takes paper-polarity prints.
  void plug(int n = 0, ridgeport::driver::SensorIdentity id = ridgeport::driver::SensorIdentityA);
  void layFinger(const std::string& name, int n = 0);

  std::unique_ptr<TNimbraUtil> makeUtil();
  // Callbacks that record into calls.
  static TNimbraUtil::TConnectedSensorEvent onConnected(Calls& calls);
  static TNimbraUtil::TEnrolledEvent onEnrolled(Calls& calls);
  static TNimbraUtil::TEnrollErrorEvent onEnrollError(Calls& calls);
  static TNimbraUtil::TVerifiedEvent onVerified(Calls& calls);
  static TNimbraUtil::TVerifyErrorEvent onVerifyError(Calls& calls);

  // The requests device n received so far of one kind (failed ones included).
  int requestCount(int n, ridgeport::sim::RecordedRequest::Kind kind, bool failedOnly = false) const;

  ridgeport::sim::SensorSimulator sim_;
  std::unique_ptr<TNimbraMSDK> sdk_;
};

// Empty when libRidgecore.so compares feature records; else why not (its
// matching engine is wired in after the rest of the library).
std::string missingMatcher();

#define SKIP_WITHOUT_MATCHER()                                                                                   \
  do {                                                                                                           \
    if (const std::string why = missingMatcher(); !why.empty())                                                  \
      GTEST_SKIP() << "libRidgecore.so cannot match yet (" << why << "); this end-to-end test runs once it can"; \
  } while (0)

// The algorithm library has the export an end-to-end test needs, or the test
// is skipped saying which one is missing.
#define SKIP_WITHOUT_EXPORT(sdk, name)                                                                        \
  do {                                                                                                        \
    if (!(sdk)->exports()->has(name))                                                                         \
      GTEST_SKIP() << "libRidgecore.so does not export " name " yet; this end-to-end test runs once it does"; \
  } while (0)

}  // namespace bio::test
