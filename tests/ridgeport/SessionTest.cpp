// The transfers of the sensor session on their own, against the simulated
// device: the steps between which another program may take the sensor.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "ridgeport/SensorSession.h"
#include "ridgeport/driver/SocketDeviceBackend.h"
#include "ridgeport/sim/SensorSimulator.h"
#include "tests/ridgeport/LockHolder.h"
#include "tests/support/TestEnv.h"

namespace ridgeport {
namespace {

using driver::ControlRequest;
using Kind = sim::RecordedRequest::Kind;

TEST(SensorSession, FrameReadWhileAnotherProgramTransfersIsBusyAndNotSent) {
  sim::SensorSimulator simulator;
  ASSERT_TRUE(simulator.plug({}));
  driver::SocketDeviceBackend backend;
  SensorSession session(backend);
  session.adopt(backend.open(0), 0x21);
  ASSERT_TRUE(session.vendorRequest(ControlRequest::send(0x51, 384, 300), nullptr).ok());

  // Between the start of the frame and its read, another program takes the sensor.
  test::LockHolder other;
  std::vector<std::uint8_t> frame(driver::kFrameSize, 0xEE);
  Status s = session.readFrame(frame.data());
  EXPECT_EQ(s.code, -2031);
  EXPECT_STREQ(s.message, "Fingerprint is on operation. Try again later. (2000-031)");
  EXPECT_EQ(simulator.requests(0).back().kind, Kind::Vendor);  // the read never went out
  EXPECT_EQ(frame[0], 0xEE);

  other.release();
  EXPECT_TRUE(session.readFrame(frame.data()).ok());
  EXPECT_EQ(simulator.requests(0).back().kind, Kind::Read);
}

TEST(SensorSharing, LockThatCannotBeMadeGives2011) {
  // The runtime folder cannot be created: a file stands where it should be.
  const std::string home = testenv::makeTempDir("nolock");
  std::ofstream(home + "/run") << "not a folder";
  const std::string saved = std::getenv("LOCKMERE_HOME");
  ::setenv("LOCKMERE_HOME", home.c_str(), 1);
  SensorSharing sharing;
  Status s = sharing.enter(SensorSharing::Kind::Control);
  ::setenv("LOCKMERE_HOME", saved.c_str(), 1);
  EXPECT_EQ(s.code, -2011);
  EXPECT_STREQ(s.message, "Can not make event. (2000-011)");
}

TEST(Status, EveryCodeHasItsOwnText) {
  // The texts are the system's own, typos and the missing parenthesis included.
  EXPECT_STREQ(statusText(-2001), "Can not close handle. (2000-001)");
  EXPECT_STREQ(statusText(-2002), "Cannot close handle. (2000-002)");
  EXPECT_STREQ(statusText(-2012), "Can not close handle. (2000-012)");
  EXPECT_STREQ(statusText(-2013), "Can not close handle. (2000-013)");
  EXPECT_STREQ(statusText(-2032), "Can not transfer data. (2000-032)");
  EXPECT_STREQ(statusText(-2102), "Mismatch fingerprint sensor. (2000-102");
  char message[256];
  std::fill(std::begin(message), std::end(message), 'x');
  int error = 0;
  report(Status::of(-2969), message, &error);
  EXPECT_STREQ(message, "Sensor is not initalized. (2000-969)");
  EXPECT_EQ(error, -2969);
  EXPECT_EQ(message[255], 'x');  // only the text and its terminator are written
}

}  // namespace
}  // namespace ridgeport
