// Driver and sensor presence: the machine store as a driver's set-up leaves it,
// the presence listing of the simulated sensor.
#include <gtest/gtest.h>

#include <QProcess>
#include <fstream>

#include "ridgeport/driver/SensorIdentity.h"
#include "ridgeport/sim/DriverInstallation.h"
#include "tests/bio/BioFixture.h"
#include "tests/support/TestEnv.h"

namespace bio::test {
namespace {

using ridgeport::driver::kDriverProductCodes;
using ridgeport::sim::DriverInstallation;

TEST(DriverPresence, InstalledOnceTheDriverSetUpRanAndGoneWhenUninstalled) {
  TNimbraUtil util;
  for (auto code : kDriverProductCodes) EXPECT_FALSE(util.IsInstalledDriver(code)) << code;
  EXPECT_FALSE(util.IsInstalledDriver());

  std::string error;
  ASSERT_TRUE(DriverInstallation::install(&error)) << error;
  EXPECT_TRUE(util.IsInstalledDriver(kDriverProductCodes[0]));
  EXPECT_FALSE(util.IsInstalledDriver(kDriverProductCodes[1]));
  EXPECT_FALSE(util.IsInstalledDriver(kDriverProductCodes[2]));
  EXPECT_TRUE(util.IsInstalledDriver());
  // Product codes are key names: letter case does not matter, and nothing else names the entry.
  std::string lower(kDriverProductCodes[0]);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_TRUE(util.IsInstalledDriver(lower));
  EXPECT_FALSE(util.IsInstalledDriver(""));
  EXPECT_FALSE(util.IsInstalledDriver(std::string(kDriverProductCodes[0]) + "\\"));

  ASSERT_TRUE(DriverInstallation::uninstall(&error)) << error;
  EXPECT_FALSE(util.IsInstalledDriver());
}

TEST(DriverPresence, ServingTheSimulatedSensorRegistersItsDriver) {
  TNimbraUtil util;
  ASSERT_FALSE(util.IsInstalledDriver());
  const QString sim = QString::fromStdString(testenv::binDir() + "/ridgeport-sim");
  QProcess serve;
  serve.start(sim, {"serve"});
  ASSERT_TRUE(serve.waitForStarted());
  EXPECT_TRUE(waitUntil([&] { return util.IsConnectedSensor(); }));
  EXPECT_TRUE(util.IsInstalledDriver(kDriverProductCodes[0]));
  EXPECT_EQ(QProcess::execute(sim, {"stop"}), 0);
  EXPECT_TRUE(serve.waitForFinished(30000));
  EXPECT_EQ(serve.exitCode(), 0) << serve.readAllStandardError().toStdString();
  EXPECT_FALSE(util.IsConnectedSensor());
  EXPECT_TRUE(util.IsInstalledDriver());  // stays installed, as a driver does
}

class SensorPresenceTest : public BioTest {};

TEST_F(SensorPresenceTest, OnlyALinkedSensorOfAnAcceptedIdentityCounts) {
  auto util = makeUtil();
  EXPECT_FALSE(util->IsConnectedSensor());
  plug(0, {0x1234, 0x0301});  // another maker's device
  plug(1, {0x2E5A, 0x0303});  // the maker's, not a sensor of this system
  EXPECT_FALSE(util->IsConnectedSensor());
  plug(2, ridgeport::driver::SensorIdentityB);
  EXPECT_TRUE(util->IsConnectedSensor());
  sim_.unplug(2);
  EXPECT_FALSE(util->IsConnectedSensor());
  // An entry left behind by a sensor that went away is not linked.
  {
    std::ofstream leftover(sim_.deviceDir() + "/VERAUSB5.instance");
    leftover << "USB\\VID_2E5A&PID_0301\\SIM5\n";
  }
  EXPECT_FALSE(util->IsConnectedSensor());
  plug(7);
  EXPECT_TRUE(util->IsConnectedSensor());
}

}  // namespace
}  // namespace bio::test
