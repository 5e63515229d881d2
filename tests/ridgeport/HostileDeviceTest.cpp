// The library against devices that misbehave on purpose: every call ends within
// its deadline with the library's own error code, and leaves the sensor lock and
// the frame buffer free.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <chrono>
#include <fstream>
#include <thread>

#include "platform/FileLock.h"
#include "ridgeport/FrameCapture.h"
#include "ridgeport/ImageRequests.h"
#include "ridgeport/SensorOpener.h"
#include "ridgeport/SensorSession.h"
#include "ridgeport/driver/SocketDeviceBackend.h"
#include "ridgeport/driver/SocketWire.h"
#include "tests/ridgeport/HostileDevice.h"
#include "tests/support/TestEnv.h"

namespace ridgeport::test {
namespace {

using namespace std::chrono_literals;
using Fault = HostileDevice::Fault;
namespace wire = driver::wire;

constexpr auto kDeadline = 300ms;
// A call may overrun its deadline by scheduling only, never by another deadline.
constexpr auto kBound = 1000ms;

// The library's classes over a device folder of their own, with a short deadline.
struct Library {
  std::string dir = testenv::makeTempDir("devices");
  driver::SocketDeviceBackend backend{dir, kDeadline};
  SensorSession session{backend};
  FrameCapture capture{session};

  Status open() { return SensorOpener(session, capture).open(); }
  Status image(std::vector<std::uint8_t>& out) {
    return ImageRequests(session, capture).request(ImageRequests::Kind::Raw, out.data());
  }
};

template <class F>
std::chrono::milliseconds timed(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

// Whether another thread could take the frame buffer and another program the sensor lock.
void expectNothingHeld(FrameCapture& capture) {
  bool frameFree = false;
  std::thread([&] {
    frameFree = capture.lock().try_lock();
    if (frameFree) capture.lock().unlock();
  }).join();
  EXPECT_TRUE(frameFree);
  platform::FileLock sensor(platform::FileLock::kSensor);
  EXPECT_FALSE(sensor.heldElsewhere());
  EXPECT_TRUE(sensor.tryLock()) << sensor.error();
}

long residentKb() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word)
    if (word == "VmRSS:" && status >> word) return std::stol(word);
  return -1;
}

TEST(HostileDevice, AReplyDrippedAByteAtATimeCannotStretchTheOpen) {
  Library lib;
  // 26 bytes, one every 60 ms: each byte in time for a per-receive time-out, the whole not.
  HostileDevice device(lib.dir, 0, Fault::DripReply, wire::kGetDescriptor, 60ms);
  ASSERT_TRUE(device.ok());
  Status s;
  EXPECT_LT(timed([&] { s = lib.open(); }), kBound);
  EXPECT_EQ(s.code, -2091);
  EXPECT_STREQ(s.message, "Unable to create device handle.");
  expectNothingHeld(lib.capture);
}

TEST(HostileDevice, AFrameThatNeverCompletesFailsInTimeAndFreesTheLockAndTheFrame) {
  Library lib;
  HostileDevice device(lib.dir, 0, Fault::DripReply, wire::kRead);
  ASSERT_TRUE(device.ok());
  ASSERT_TRUE(lib.open().ok());
  std::vector<std::uint8_t> out(driver::kFrameSize, 0xEE);
  Status s;
  EXPECT_LT(timed([&] { s = lib.image(out); }), kBound);
  EXPECT_EQ(s.code, -2032);
  EXPECT_STREQ(s.message, "Can not transfer data. (2000-032)");
  EXPECT_EQ(out[0], 0xEE);
  EXPECT_EQ(out.back(), 0xEE);
  expectNothingHeld(lib.capture);
  // The connection is out of step after a lost reply: the next call fails at once.
  EXPECT_LT(timed([&] { s = lib.image(out); }), 100ms);
  EXPECT_EQ(s.code, -2022);
}

TEST(HostileDevice, ADeviceThatNeverAcceptsHoldsNeitherTheOpenNorThePresenceListing) {
  Library lib;
  HostileDevice device(lib.dir, 0, Fault::NeverAccept);
  ASSERT_TRUE(device.ok());
  std::ofstream(wire::instanceFilePath(lib.dir, 0)) << "USB\\VID_2E5A&PID_0301\\EVIL\n";
  ::chmod(wire::instanceFilePath(lib.dir, 0).c_str(), 0600);

  std::vector<driver::DeviceInstance> list;
  // The listing's own bound, whatever the backend's deadline.
  driver::SocketDeviceBackend patient(lib.dir);
  EXPECT_LT(timed([&] { list = patient.deviceInstances(); }), kBound);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].linked, 0u);
  Status s;
  EXPECT_LT(timed([&] { s = lib.open(); }), kBound);
  EXPECT_EQ(s.code, -2091);
  expectNothingHeld(lib.capture);
}

TEST(HostileDevice, AFloodingDeviceIsReadNoFurtherThanTheReplyItOwes) {
  Library lib;
  HostileDevice device(lib.dir, 0, Fault::FloodReply, wire::kRead);
  ASSERT_TRUE(device.ok());
  ASSERT_TRUE(lib.open().ok());
  const long before = residentKb();
  std::vector<std::uint8_t> out(driver::kFrameSize, 0xEE);
  Status s;
  EXPECT_LT(timed([&] {
              for (int i = 0; i < 20; ++i) s = lib.image(out);
            }),
            kBound * 2);
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(out[0], 0xEE);
  EXPECT_LT(residentKb() - before, 16 * 1024);
  expectNothingHeld(lib.capture);
}

}  // namespace
}  // namespace ridgeport::test
