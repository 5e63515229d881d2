// The device folder as another local user would attack it: made first, replaced
// by a link, links planted for the simulator's files, a sensor of their own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Paths.h"
#include "ridgeport.h"
#include "ridgeport/driver/DeviceBackend.h"
#include "ridgeport/driver/SocketWire.h"
#include "ridgeport/sim/CommandChannel.h"
#include "ridgeport/sim/SensorSimulator.h"
#include "tests/ridgeport/SensorFixture.h"
#include "tests/support/TestEnv.h"

namespace ridgeport::test {
namespace {

namespace fs = std::filesystem;
using driver::listDeviceInstances;

constexpr uid_t kNobody = 65534;

// LOCKMERE_DEVICE_DIR for the life of the object.
class DeviceDirFor {
 public:
  explicit DeviceDirFor(const std::string& dir) { ::setenv("LOCKMERE_DEVICE_DIR", dir.c_str(), 1); }
  ~DeviceDirFor() { ::unsetenv("LOCKMERE_DEVICE_DIR"); }
};

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

Call openSensor() {
  Call c;
  char message[256] = "";
  c.result = VD_OpenSensor(message, &c.error);
  c.message = message;
  char ignored[256];
  int error = 0;
  VD_CloseSensor(ignored, &error);
  return c;
}

TEST_F(SensorTest, ASensorInAFolderAnotherUserOwnsIsNotUsed) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand the folder to another user";
  plug(0);
  const std::string dir = sim_.deviceDir();
  ASSERT_EQ(listDeviceInstances().size(), 1u);
  ASSERT_EQ(::chown(dir.c_str(), kNobody, kNobody), 0);
  EXPECT_TRUE(listDeviceInstances().empty());
  EXPECT_TRUE(failedWith(openSensor(), -2091, "Unable to create device handle."));
  sim::SensorSimulator another(dir);
  EXPECT_FALSE(another.ok());
  EXPECT_EQ(another.error(), "the folder " + dir + " belongs to another user (uid 65534); not using it");
  ASSERT_EQ(::chown(dir.c_str(), 0, 0), 0);
}

TEST(DeviceFolder, ALinkInPlaceOfTheFolderIsNotFollowed) {
  const std::string elsewhere = testenv::makeTempDir("elsewhere");
  sim::SensorSimulator sensor(elsewhere);
  ASSERT_TRUE(sensor.plug({}));
  const std::string link = testenv::makeTempDir("links") + "/verausb";
  ASSERT_EQ(::symlink(elsewhere.c_str(), link.c_str()), 0);
  DeviceDirFor linked(link);
  EXPECT_TRUE(listDeviceInstances().empty());
  EXPECT_TRUE(failedWith(openSensor(), -2091, "Unable to create device handle."));
  EXPECT_TRUE(sensor.requests(0).empty());
  EXPECT_FALSE(sim::SensorSimulator(link).ok());
}

TEST(DeviceFolder, TheSimulatorFollowsNoLinkPlantedForItsFiles) {
  const std::string dir = testenv::makeTempDir("planted");
  const std::string victims = testenv::makeTempDir("victims");
  std::ofstream(victims + "/a") << "precious a";
  std::ofstream(victims + "/b") << "precious b";
  std::ofstream(victims + "/c") << "precious c";
  // The temporary name the simulator once used, the instance file itself, a device socket.
  ASSERT_EQ(::symlink((victims + "/a").c_str(), (dir + "/VERAUSB0.instance.tmp").c_str()), 0);
  ASSERT_EQ(::symlink((victims + "/b").c_str(), (dir + "/VERAUSB1.instance").c_str()), 0);
  ASSERT_EQ(::symlink((victims + "/c").c_str(), (dir + "/VERAUSB2").c_str()), 0);

  sim::SensorSimulator sensor(dir);
  ASSERT_TRUE(sensor.ok()) << sensor.error();
  std::string error;
  sim::DeviceConfig config;
  ASSERT_TRUE(sensor.plug(config, &error)) << error;
  config.number = 1;
  ASSERT_TRUE(sensor.plug(config, &error)) << error;
  config.number = 2;
  EXPECT_FALSE(sensor.plug(config, &error));
  EXPECT_NE(error.find("not a socket"), std::string::npos) << error;

  EXPECT_EQ(contents(victims + "/a"), "precious a");
  EXPECT_EQ(contents(victims + "/b"), "precious b");
  EXPECT_EQ(contents(victims + "/c"), "precious c");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir + "/VERAUSB1.instance")));
  EXPECT_EQ(contents(dir + "/VERAUSB1.instance"), "USB\\VID_2E5A&PID_0301\\SIM1\n");
}

// ridgeport-sim serve, run as another user, in dir.
pid_t serveAsNobody(const std::string& dir) {
  const std::string program = testenv::binDir() + "/ridgeport-sim";
  const std::string device = "LOCKMERE_DEVICE_DIR=" + dir, home = "LOCKMERE_HOME=" + dir;
  const char* argv[] = {program.c_str(), "serve", nullptr};
  const char* envp[] = {device.c_str(), home.c_str(), "PATH=/usr/bin:/bin", nullptr};
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(99);
    ::execve(program.c_str(), const_cast<char* const*>(argv), const_cast<char* const*>(envp));
    ::_exit(98);
  }
  return pid;
}

// Whether something listens on the socket at path.
bool accepts(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return connected;
}

TEST(DeviceFolder, ASensorAndAControlSocketOfAnotherUserAreNotUsed) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a sensor as another user";
  char made[] = "/tmp/lockmere-devices-XXXXXX";
  ASSERT_NE(::mkdtemp(made), nullptr);
  const std::string dir = made;
  ASSERT_EQ(::chown(dir.c_str(), kNobody, kNobody), 0);
  const pid_t theirs = serveAsNobody(dir);
  ASSERT_GT(theirs, 0);
  const std::string control = sim::SensorSimulator::controlSocketPath(dir);
  // The socket file appears at bind, before the simulator listens: wait until it answers.
  for (int i = 0; i < 400 && !accepts(control); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(accepts(control));
  // The folder is this user's again, private; the sockets in it are served by the other one.
  ASSERT_EQ(::chown(dir.c_str(), 0, 0), 0);
  {
    DeviceDirFor there(dir);
    EXPECT_TRUE(failedWith(openSensor(), -2091, "Unable to create device handle."));
    EXPECT_TRUE(listDeviceInstances().empty());  // its instance file is not this user's
    std::string reply;
    EXPECT_FALSE(sim::CommandChannel::send(dir, "finger 0 300 300", std::vector<std::uint8_t>(90000, 7), &reply));
    EXPECT_NE(reply.find("another user"), std::string::npos) << reply;
  }
  ::kill(theirs, SIGTERM);
  int status = 0;
  ::waitpid(theirs, &status, 0);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace ridgeport::test
