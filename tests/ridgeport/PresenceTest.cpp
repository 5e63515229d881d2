// The presence listing that the program reads to tell whether a sensor is plugged in.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "ridgeport/driver/DeviceBackend.h"
#include "ridgeport/driver/SensorIdentity.h"
#include "tests/ridgeport/SensorFixture.h"

namespace ridgeport::test {
namespace {

using driver::listDeviceInstances;

TEST(SensorIdentity, DeviceInstancePrefixHasTwentyOneCharactersInUpperCase) {
  const std::string prefix = driver::deviceInstancePrefix({0x2e5a, 0x0a0b});
  EXPECT_EQ(prefix, "USB\\VID_2E5A&PID_0A0B");
  EXPECT_EQ(prefix.size(), driver::kDeviceInstancePrefixLength);
  EXPECT_NE(driver::SensorIdentityA, driver::SensorIdentityB);
}

TEST_F(SensorTest, PluggedDevicesAreListedAndLinked) {
  EXPECT_TRUE(listDeviceInstances().empty());
  plug(0);
  plug(3, 0x21, {0x1234, 0x5678});
  auto list = listDeviceInstances();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].deviceInstance, "USB\\VID_2E5A&PID_0301\\SIM0");
  EXPECT_EQ(list[0].deviceInstance.substr(0, 21), driver::deviceInstancePrefix(driver::SensorIdentityA));
  EXPECT_EQ(list[0].linked, 1u);
  EXPECT_EQ(list[1].deviceInstance, "USB\\VID_1234&PID_5678\\SIM3");
  EXPECT_EQ(list[1].linked, 1u);

  // Open by the library, the sensor is still there; unplugged, it is gone.
  ASSERT_EQ(open().result, 1);
  EXPECT_EQ(listDeviceInstances().size(), 2u);
  sim_.unplug(0);
  list = listDeviceInstances();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].deviceInstance.substr(0, 21), "USB\\VID_1234&PID_5678");
  EXPECT_TRUE(sim_.requests(3).empty());  // listing never opens a device object
}

TEST_F(SensorTest, EntryLeftByADeadSimulatorIsNotLinked) {
  {
    std::ofstream leftover(sim_.deviceDir() + "/VERAUSB4.instance");
    leftover << "USB\\VID_2E5A&PID_0301\\SIM4\n";
  }
  auto list = listDeviceInstances();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].linked, 0u);
  // A new simulator takes the number over.
  plug(4);
  EXPECT_EQ(listDeviceInstances().at(0).linked, 1u);
}

// The listing on a thread of its own: a listing that hangs or grows without end
// ends the test program instead of the machine's memory.
std::vector<driver::DeviceInstance> listWithin(std::chrono::seconds limit) {
  std::packaged_task<std::vector<driver::DeviceInstance>()> task(listDeviceInstances);
  auto result = task.get_future();
  std::thread(std::move(task)).detach();
  if (result.wait_for(limit) != std::future_status::ready) {
    std::fprintf(stderr, "the presence listing did not return within %lld s\n", static_cast<long long>(limit.count()));
    std::abort();
  }
  return result.get();
}

TEST_F(SensorTest, TheListingReadsOnlyShortRegularFilesAndNeverWaitsOnOne) {
  plug(0);
  const std::string dir = sim_.deviceDir();
  auto instance = [&](int n) { return dir + "/VERAUSB" + std::to_string(n) + ".instance"; };
  ASSERT_EQ(::symlink("/dev/zero", instance(1).c_str()), 0);  // endless
  ASSERT_EQ(::mkfifo(instance(2).c_str(), 0600), 0);          // no writer: a read would wait forever
  std::ofstream(instance(3)) << std::string(1 << 20, 'U');    // no line end in a megabyte
  std::ofstream(instance(4)) << "USB\\VID_2E5A&PID_0301\\SIM4\n" << std::string(1 << 20, 'x');
  ASSERT_EQ(::mkdir(instance(5).c_str(), 0700), 0);

  const auto start = std::chrono::steady_clock::now();
  const auto list = listWithin(std::chrono::seconds(5));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].deviceInstance, "USB\\VID_2E5A&PID_0301\\SIM0");
  EXPECT_EQ(list[1].deviceInstance, "USB\\VID_2E5A&PID_0301\\SIM4");  // its first line only
  EXPECT_EQ(list[1].linked, 0u);                                      // nothing serves it
  for (int n = 1; n <= 5; ++n) std::filesystem::remove(instance(n));
}

}  // namespace
}  // namespace ridgeport::test
