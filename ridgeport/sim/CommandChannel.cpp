#include "ridgeport/sim/CommandChannel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/Paths.h"
#include "platform/UnixSocket.h"
#include "ridgeport/sim/SensorSimulator.h"

namespace ridgeport::sim {

namespace {

namespace net = platform::unixsocket;

constexpr std::size_t kMaxLine = 4096;
constexpr int kMaxImageSide = 2000;
// A finger image takes the simulator a moment to turn into a frame; the request
// log of a busy device is long, but not endless.
constexpr auto kCommandTime = std::chrono::seconds(60);
constexpr std::size_t kMaxAnswer = 4u << 20;

bool readLine(int fd, std::string& line, net::Deadline deadline) {
  line.clear();
  char c;
  while (line.size() < kMaxLine) {
    if (!net::receiveAll(fd, &c, 1, deadline)) return false;
    if (c == '\n') return true;
    line += c;
  }
  return false;
}

// The next word as a number, decimal or 0x hexadecimal.
bool nextNumber(std::istringstream& words, long& value) {
  std::string word;
  if (!(words >> word)) return false;
  char* end = nullptr;
  value = std::strtol(word.c_str(), &end, 0);
  return *end == '\0';
}

std::string noDevice(int n) { return "error: no device VERAUSB" + std::to_string(n); }

// Carries out one command; returns the answer text.
std::string run(SensorSimulator& sim, int fd, const std::string& line, net::Deadline deadline) {
  std::istringstream words(line);
  std::string command;
  words >> command;
  long n = -1;
  auto device = [&]() -> bool { return nextNumber(words, n) && n >= 0 && n < SensorSimulator::kDeviceCount; };
  auto result = [&](bool ok) { return ok ? std::string("ok") : noDevice(static_cast<int>(n)); };

  if (command == "plug") {
    std::string device, error;
    words >> device;
    DeviceConfig config;
    if (!DeviceConfig::parse(device, config, &error) || !sim.plug(config, &error)) return "error: " + error;
    return "ok";
  }
  if (command == "status") {
    std::string text = "ok";
    for (const auto& d : sim.devices()) {
      text += "\nVERAUSB" + std::to_string(d.number) + " " + d.deviceInstance() + " " + d.toString() +
              (sim.fingerPresent(d.number) ? " finger" : " no-finger");
    }
    return text;
  }
  if (command == "clear-log") return sim.clearRequests(), "ok";
  if (command == "stop") return sim.requestStop(), "ok";
  if (!device()) return "error: '" + command + "' needs a device number 0..14";

  if (command == "unplug") return result(sim.unplug(static_cast<int>(n)));
  if (command == "lift") return result(sim.liftFinger(static_cast<int>(n)));
  if (command == "reset") return result(sim.reset(static_cast<int>(n)));
  if (command == "log") {
    std::string text = "ok";
    for (const auto& r : sim.requests(static_cast<int>(n))) {
      text += '\n';
      text += r.toString();
    }
    return text;
  }
  long count = 1, extra = -1;
  if (command == "fail-control") {
    if (!nextNumber(words, count) || count < 0) return "error: fail-control N COUNT [REQUEST]";
    if (!nextNumber(words, extra)) extra = -1;
    return result(sim.failControlRequests(static_cast<int>(n), static_cast<int>(count), static_cast<int>(extra)));
  }
  if (command == "fail-descriptor") {
    if (!nextNumber(words, count) || count < 0) return "error: fail-descriptor N COUNT";
    return result(sim.failDescriptorRequests(static_cast<int>(n), static_cast<int>(count)));
  }
  if (command == "short-frame") {
    if (!nextNumber(words, count) || !nextNumber(words, extra) || count < 0 || extra < 0)
      return "error: short-frame N COUNT BYTES";
    return result(sim.shortenFrames(static_cast<int>(n), static_cast<int>(count), static_cast<std::size_t>(extra)));
  }
  if (command == "finger") {
    long w = 0, h = 0;
    if (!nextNumber(words, w) || !nextNumber(words, h) || w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide)
      return "error: finger N WIDTH HEIGHT";
    GreyImage image(static_cast<int>(w), static_cast<int>(h));
    if (!net::receiveAll(fd, image.pixels.data(), image.pixels.size(), deadline)) return "error: image bytes missing";
    std::string error;
    return sim.setFinger(static_cast<int>(n), image, &error) ? "ok" : "error: " + error;
  }
  return "error: unknown command '" + command + "'";
}

}  // namespace

void CommandChannel::serve(SensorSimulator& simulator, int fd) {
  const net::Deadline deadline = net::deadlineIn(kCommandTime);
  std::string line;
  if (!readLine(fd, line, deadline)) return;
  const std::string answer = run(simulator, fd, line, deadline) + "\n";
  net::sendAll(fd, answer.data(), answer.size(), deadline);
}

bool CommandChannel::send(const std::string& deviceDir, const std::string& line,
                          const std::vector<std::uint8_t>& payload, std::string* reply) {
  const std::string path = SensorSimulator::controlSocketPath(deviceDir);
  // Only a simulator of this user, in a private folder, gets the images.
  struct stat st {};
  if (::lstat(deviceDir.c_str(), &st) == 0) {
    const platform::paths::PrivateDir dir = platform::paths::privateDir(deviceDir, false);
    if (!dir) {
      *reply = dir.error;
      return false;
    }
  }
  const net::Deadline deadline = net::deadlineIn(kCommandTime);
  std::string why;
  int fd = net::connectTo(path, deadline, &why);
  if (fd < 0) {
    *reply = errno == EPERM ? why : "no simulated sensor is running (" + why + ")";
    return false;
  }
  const std::string request = line + "\n";
  std::string answer;
  if (net::sendAll(fd, request.data(), request.size(), deadline) &&
      (payload.empty() || net::sendAll(fd, payload.data(), payload.size(), deadline))) {
    ::shutdown(fd, SHUT_WR);
    char buffer[4096];
    long got;
    while (answer.size() <= kMaxAnswer && (got = net::receiveSome(fd, buffer, sizeof buffer, deadline)) > 0)
      answer.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (answer.size() > kMaxAnswer) {
    *reply = "the simulated sensor's answer is too long";
    return false;
  }
  while (!answer.empty() && answer.back() == '\n') answer.pop_back();
  if (answer == "ok" || answer.rfind("ok\n", 0) == 0) {
    *reply = answer.size() > 3 ? answer.substr(3) : std::string();
    return true;
  }
  *reply = answer.rfind("error: ", 0) == 0 ? answer.substr(7)
                                           : (answer.empty() ? "the simulated sensor did not answer" : answer);
  return false;
}

}  // namespace ridgeport::sim
