#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ridgeport.h"
#include "ridgeport/sim/SensorSimulator.h"

namespace ridgeport::test {

// The outcome of one library call.
struct Call {
  int result = -1;
  int error = 1;
  std::string message;
};

// The call failed with this code and text (result 0), or succeeded ("Veradynics", 0, result 1).
::testing::AssertionResult failedWith(const Call& c, int error, const std::string& message);
::testing::AssertionResult succeeded(const Call& c);

// A simulated sensor in this process, and the library in its start state.
class SensorTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Plugs device n in (revision and identity as given) with recognisable
  // stored values: dv44 = 0x11, dv46 = 0x22, dv47 = 0x33, dv48 = 0x44.
  void plug(int n, int revision = 0x21, driver::SensorIdentity id = driver::SensorIdentityA);

  Call open();
  Call close();
  Call wholeImage(std::vector<unsigned char>& image);
  Call previewImage(std::vector<unsigned char>& image);
  Call rawImage(std::vector<unsigned char>& frame);
  Call readRegister(int reg, unsigned char& value);

  // The requests device n received, in the notation of traffic().
  std::vector<std::string> trafficOf(int n) const;

  sim::SensorSimulator sim_;
};

// Recorded requests as short texts: "open", "close", "descriptor", "read 115200",
// "r 0x17" (register read), "w 0x17=128" (register write), "dv 0x46" (stored
// value read), "start" (start frame 384 x 300). A request whose fields do not
// have the exact shape of its kind is shown in full, so it never matches.
std::vector<std::string> traffic(const std::vector<sim::RecordedRequest>& requests);

// An impression of the real fingerprint set, in the sensor's polarity.
sim::GreyImage sampleFinger(const std::string& set = "fvc2000_db1_b", const std::string& name = "101_1");

}  // namespace ridgeport::test
