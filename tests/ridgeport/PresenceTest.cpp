// The presence listing that the program reads to tell whether a sensor is plugged in.
#include <gtest/gtest.h>

#include <fstream>

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

}  // namespace
}  // namespace ridgeport::test
