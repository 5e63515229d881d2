// The simulated sensor itself: its settings, its image files, the control
// commands, and ridgeport-sim as the run command uses it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Paths.h"
#include "ridgeport/driver/DeviceBackend.h"
#include "ridgeport/sim/CommandChannel.h"
#include "ridgeport/sim/DeviceConfig.h"
#include "tests/ridgeport/SensorFixture.h"
#include "tests/support/TestEnv.h"

extern char** environ;

namespace ridgeport::test {
namespace {

using sim::CommandChannel;
using sim::DeviceConfig;
using sim::GreyImage;

// Starts ridgeport-sim with args (standard output discarded).
pid_t startSim(const std::vector<std::string>& args) {
  std::string program = testenv::binDir() + "/ridgeport-sim";
  std::vector<char*> argv{program.data()};
  std::vector<std::string> copy = args;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Runs ridgeport-sim with args to its end; its exit code, or -1.
int runSim(const std::vector<std::string>& args) {
  pid_t pid = startSim(args);
  int status = -1;
  if (pid > 0) ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(DeviceConfig, ParsesEverySettingAndRefusesNonsense) {
  DeviceConfig c;
  std::string error;
  ASSERT_TRUE(
      DeviceConfig::parse("7,identity=B,revision=0x20,dv44=1,dv46=2,dv47=3,dv48=4,r0x17=128,invert=1,"
                          "serial=X1",
                          c, &error))
      << error;
  EXPECT_EQ(c.number, 7);
  EXPECT_EQ(c.identity, driver::SensorIdentityB);
  EXPECT_EQ(c.revision, 0x20);
  EXPECT_EQ(c.value47, 3);
  EXPECT_EQ(c.registers.at(0x17), 128);
  EXPECT_TRUE(c.invertFinger);
  EXPECT_EQ(c.deviceInstance(), "USB\\VID_2E5A&PID_0302\\X1");
  DeviceConfig again;
  ASSERT_TRUE(DeviceConfig::parse(c.toString(), again, &error)) << error;
  EXPECT_EQ(again.toString(), c.toString());

  ASSERT_TRUE(DeviceConfig::parse("2,identity=abcd:00ef", c, &error));
  EXPECT_EQ(c.identity, (driver::SensorIdentity{0xABCD, 0x00EF}));
  for (const char* bad :
       {"15", "-1", "x", "0,revision=256", "0,identity=C", "0,colour=red", "0,dv44", "0,r300=1", "0,invert=2"}) {
    EXPECT_FALSE(DeviceConfig::parse(bad, c, &error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

TEST(GreyImage, ReadsBinaryPgmAndRefusesOtherFiles) {
  const std::string dir = testenv::makeTempDir("pgm");
  GreyImage image(3, 2);
  image.at(2, 1) = 77;
  ASSERT_TRUE(image.savePgm(dir + "/ok.pgm"));
  std::string error;
  GreyImage back = GreyImage::loadPgm(dir + "/ok.pgm", &error);
  EXPECT_EQ(back.width, 3);
  EXPECT_EQ(back.at(2, 1), 77);
  EXPECT_EQ(back.inverted().at(2, 1), 178);

  auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
    return dir + "/" + name;
  };
  for (const auto& path :
       {write("ascii.pgm", "P2\n1 1\n255\n0\n"), write("deep.pgm", "P5\n1 1\n65535\n\1\1"),
        write("short.pgm", "P5\n2 2\n255\nabc"), write("junk.pgm", "P5\n# x\nzz"), dir + "/missing.pgm"}) {
    EXPECT_TRUE(GreyImage::loadPgm(path, &error).empty()) << path;
    EXPECT_NE(error.find(path), std::string::npos);
  }
}

TEST_F(SensorTest, DeviceObjectServedByALiveSimulatorCannotBeTakenOver) {
  plug(0);
  sim::SensorSimulator second(sim_.deviceDir());
  std::string error;
  DeviceConfig config;
  EXPECT_FALSE(second.plug(config, &error));
  EXPECT_NE(error.find("already served"), std::string::npos);
  EXPECT_FALSE(sim_.plug(config, &error));  // nor plugged in twice
}

TEST_F(SensorTest, DeviceObjectIsOpenedWithoutSharing) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  EXPECT_EQ(driver::DeviceBackend::active().open(0), nullptr);
  EXPECT_EQ(trafficOf(0).back(), "open (failed)");
}

TEST_F(SensorTest, CommandsChangeTheRunningSensor) {
  std::string reply;
  EXPECT_FALSE(CommandChannel::send(sim_.deviceDir(), "status", {}, &reply));
  EXPECT_NE(reply.find("no simulated sensor is running"), std::string::npos);
  ASSERT_TRUE(sim_.listenForCommands(&reply)) << reply;

  ASSERT_TRUE(CommandChannel::send(sim_.deviceDir(), "plug 2,invert=1,revision=0x1F", {}, &reply)) << reply;
  ASSERT_EQ(open().result, 1);
  const auto finger = sampleFinger();
  ASSERT_TRUE(CommandChannel::send(sim_.deviceDir(), "finger 2 300 300", finger.inverted().pixels, &reply)) << reply;
  std::vector<unsigned char> image;
  ASSERT_EQ(wholeImage(image).result, 1);
  int present = 0;
  char message[256];
  int error;
  VD_DetectWholeFinger(image.data(), &present, message, &error);
  EXPECT_EQ(present, 1);

  ASSERT_TRUE(CommandChannel::send(sim_.deviceDir(), "status", {}, &reply));
  EXPECT_NE(reply.find("VERAUSB2 USB\\VID_2E5A&PID_0301\\SIM2"), std::string::npos) << reply;
  EXPECT_NE(reply.find(" finger"), std::string::npos) << reply;
  ASSERT_TRUE(CommandChannel::send(sim_.deviceDir(), "log 2", {}, &reply));
  EXPECT_NE(reply.find("vendor type=0x40 request=0x51 value=384 index=300 length=0"), std::string::npos);

  ASSERT_TRUE(CommandChannel::send(sim_.deviceDir(), "fail-control 2 1 0x4F", {}, &reply));
  unsigned char value = 0;
  EXPECT_EQ(readRegister(0x17, value).error, -2022);
  EXPECT_EQ(readRegister(0x17, value).result, 1);
  ASSERT_TRUE(CommandChannel::send(sim_.deviceDir(), "reset 2", {}, &reply));
  EXPECT_EQ(sim_.registerValue(2, 0x17), 0);
  ASSERT_TRUE(CommandChannel::send(sim_.deviceDir(), "short-frame 2 1 100", {}, &reply));
  EXPECT_EQ(wholeImage(image).error, -2051);  // reprogrammed first, then the short frame
  ASSERT_TRUE(CommandChannel::send(sim_.deviceDir(), "lift 2", {}, &reply));
  EXPECT_FALSE(sim_.fingerPresent(2));
  ASSERT_TRUE(CommandChannel::send(sim_.deviceDir(), "unplug 2", {}, &reply));
  EXPECT_FALSE(sim_.isPlugged(2));

  for (const char* bad : {"lift 2", "finger 0 299 300", "fly 0", "plug 99", "short-frame 0", "fail-control 0 x"}) {
    EXPECT_FALSE(CommandChannel::send(sim_.deviceDir(), bad, {}, &reply)) << bad;
    EXPECT_FALSE(reply.empty()) << bad;
  }
  EXPECT_FALSE(sim_.stopRequested());
  ASSERT_TRUE(CommandChannel::send(sim_.deviceDir(), "stop", {}, &reply));
  EXPECT_TRUE(sim_.stopRequested());
}

TEST(RidgeportSim, ServesFingerprintsAsTheRunCommandStartsIt) {
  // As scripts/run.sh does: a sensor for prints with dark ridges, a finger laid
  // on it from the command line, then stopped.
  const pid_t server = startSim({"serve", "--device", "0,invert=1"});
  ASSERT_GT(server, 0);
  const std::string control = sim::SensorSimulator::controlSocketPath(platform::paths::deviceDir());
  for (int i = 0; i < 600 && !std::filesystem::exists(control); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(std::filesystem::exists(control));

  const std::string print = testenv::fingerprintsDir() + "/fvc2000_db1_b/102_3.pgm";
  ASSERT_EQ(runSim({"finger", print}), 0);
  char message[256];
  int error = 0;
  ASSERT_EQ(VD_OpenSensor(message, &error), 1) << message;
  std::vector<unsigned char> image(RIDGEPORT_IMAGE_SIZE);
  ASSERT_EQ(VD_GetWholeImage(image.data(), message, &error), 1) << message;
  int present = 0;
  VD_DetectWholeFinger(image.data(), &present, message, &error);
  EXPECT_EQ(present, 1);
  EXPECT_NEAR(image[150 * 300 + 150], 255 - GreyImage::loadPgm(print).at(150, 150), 3);

  ASSERT_EQ(runSim({"lift"}), 0);
  ASSERT_EQ(VD_GetWholeImage(image.data(), message, &error), 1);
  VD_DetectWholeFinger(image.data(), &present, message, &error);
  EXPECT_EQ(present, 0);
  VD_CloseSensor(message, &error);

  EXPECT_NE(runSim({"finger", "/nonexistent.png"}), 0);
  EXPECT_NE(runSim({"unplug", "9"}), 0);
  ASSERT_EQ(runSim({"stop"}), 0);
  int status = -1;
  ASSERT_EQ(::waitpid(server, &status, 0), server);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(driver::listDeviceInstances().empty());
  EXPECT_FALSE(std::filesystem::exists(control));
}

}  // namespace
}  // namespace ridgeport::test
