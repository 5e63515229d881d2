#include "ridgeport/sim/SensorSimulator.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/UnixSocket.h"
#include "ridgeport/driver/SocketWire.h"
#include "ridgeport/sim/CommandChannel.h"
#include "ridgeport/sim/FrameSynthesizer.h"

namespace ridgeport::sim {

namespace wire = driver::wire;
using Kind = RecordedRequest::Kind;

namespace {

namespace net = platform::unixsocket;

// A client that stops reading or dawdles must not stall the other device objects
// for long: every request and its reply have this long.
constexpr auto kClientTime = std::chrono::milliseconds(5000);
constexpr auto kProbeTime = std::chrono::milliseconds(1000);

bool setError(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

int listenOn(const std::string& path, std::string* error) {
  // A socket file that still answers belongs to a live server; one that does not
  // is left over from a server that died. Nothing but a socket is ever removed.
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) return setError(error, path + ": exists and is not a socket; not using it"), -1;
    std::string why;
    const int probe = net::connectTo(path, net::deadlineIn(kProbeTime), &why);
    if (probe >= 0) ::close(probe);
    if (probe >= 0 || errno != ECONNREFUSED)
      return setError(error, path + ": already served by another simulator" + (probe >= 0 ? "" : " (" + why + ")")), -1;
    ::unlink(path.c_str());
  }
  return net::listenAt(path, 16, error);
}

// Only this user's programs may talk to the simulated device.
int acceptPeer(int listenFd) {
  const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd >= 0 && net::peerUid(fd) != static_cast<long>(::geteuid())) {
    ::close(fd);
    return -1;
  }
  return fd;
}

RecordedRequest describe(const wire::RequestHeader& h, const std::vector<std::uint8_t>& in) {
  RecordedRequest r;
  switch (h.op) {
    case wire::kOpen:
      r.kind = Kind::Open;
      break;
    case wire::kClose:
      r.kind = Kind::Close;
      break;
    case wire::kGetDescriptor:
      r.kind = Kind::Descriptor;
      break;
    case wire::kRead:
      r.kind = Kind::Read;
      r.size = h.outLength;
      break;
    case wire::kVendorRequest:
      r.kind = Kind::Vendor;
      if (in.size() >= driver::ControlRequest::kRecordSize) r.control = driver::ControlRequest::decode(in.data());
      break;
  }
  return r;
}

bool knownOp(std::uint32_t op) {
  return op == wire::kOpen || op == wire::kClose || op == wire::kGetDescriptor || op == wire::kRead ||
         op == wire::kVendorRequest;
}

}  // namespace

struct SensorSimulator::Device {
  Device(const DeviceConfig& config, int fd, std::uint64_t gen) : sensor(config), listenFd(fd), generation(gen) {}
  SimulatedSensor sensor;
  int listenFd;
  std::uint64_t generation;
  std::uint64_t openedBy = 0;  // id of the connection that holds it open
};

struct SensorSimulator::Connection {
  int fd = -1;
  int number = 0;
  std::uint64_t generation = 0;
  std::uint64_t id = 0;
  bool opened = false;
};

SensorSimulator::SensorSimulator(std::string deviceDir)
    : dir_(deviceDir.empty() ? platform::paths::deviceDir() : std::move(deviceDir)) {
  const platform::paths::PrivateDir dir = platform::paths::privateDir(dir_);
  if (!dir) {
    error_ = dir.error;
    return;
  }
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) {
    error_ = std::string("eventfd: ") + std::strerror(errno);
    return;
  }
  server_ = std::thread([this] { serve(); });
}

SensorSimulator::~SensorSimulator() {
  {
    std::lock_guard guard(mutex_);
    running_ = false;
  }
  wake();
  if (server_.joinable()) server_.join();
  if (commands_.joinable()) {
    std::uint64_t one = 1;
    (void)!::write(commandWakeFd_, &one, sizeof one);
    commands_.join();
  }
  for (int n = 0; n < kDeviceCount; ++n) removeDevice(n);
  for (int fd : closing_) ::close(fd);
  if (commandFd_ >= 0) {
    ::close(commandFd_);
    ::unlink(controlSocketPath(dir_).c_str());
  }
  if (commandWakeFd_ >= 0) ::close(commandWakeFd_);
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

void SensorSimulator::wake() {
  std::uint64_t one = 1;
  if (wakeFd_ >= 0) (void)!::write(wakeFd_, &one, sizeof one);
}

bool SensorSimulator::plug(const DeviceConfig& config, std::string* error) {
  if (!ok()) return setError(error, error_);
  if (config.number < 0 || config.number >= kDeviceCount) return setError(error, "device number must be 0..14");
  std::lock_guard guard(mutex_);
  if (devices_[config.number]) return setError(error, "VERAUSB" + std::to_string(config.number) + " is plugged in");
  const int fd = listenOn(wire::socketPath(dir_, config.number), error);
  if (fd < 0) return false;
  // A temporary file of its own (mkstemp) renamed into place: nothing planted in
  // the folder is followed or overwritten.
  std::string why;
  if (!platform::AtomicFile::writeFile(wire::instanceFilePath(dir_, config.number), config.deviceInstance() + "\n",
                                       0600, &why)) {
    ::close(fd);
    ::unlink(wire::socketPath(dir_, config.number).c_str());
    return setError(error, why);
  }
  devices_[config.number] = std::make_unique<Device>(config, fd, ++generation_);
  wake();
  return true;
}

void SensorSimulator::removeDevice(int number) {
  if (!devices_[number]) return;
  ::unlink(wire::socketPath(dir_, number).c_str());
  ::unlink(wire::instanceFilePath(dir_, number).c_str());
  closing_.push_back(devices_[number]->listenFd);
  devices_[number].reset();
}

bool SensorSimulator::unplug(int number) {
  if (number < 0 || number >= kDeviceCount) return false;
  std::lock_guard guard(mutex_);
  if (!devices_[number]) return false;
  removeDevice(number);
  wake();
  return true;
}

bool SensorSimulator::isPlugged(int number) const {
  std::lock_guard guard(mutex_);
  return number >= 0 && number < kDeviceCount && devices_[number] != nullptr;
}

std::vector<DeviceConfig> SensorSimulator::devices() const {
  std::lock_guard guard(mutex_);
  std::vector<DeviceConfig> list;
  for (const auto& d : devices_)
    if (d) list.push_back(d->sensor.config());
  return list;
}

template <class F>
bool SensorSimulator::withSensor(int number, F&& f) {
  std::lock_guard guard(mutex_);
  if (number < 0 || number >= kDeviceCount || !devices_[number]) return false;
  f(devices_[number]->sensor);
  return true;
}

bool SensorSimulator::setFinger(int number, const GreyImage& image, std::string* error) {
  if (image.width != 300 || image.height != 300)
    return setError(error, "a finger image must be 300 x 300 pixels, not " + std::to_string(image.width) + " x " +
                               std::to_string(image.height));
  bool invert = false;
  {
    std::lock_guard guard(mutex_);
    if (number < 0 || number >= kDeviceCount || !devices_[number])
      return setError(error, "no device VERAUSB" + std::to_string(number));
    invert = devices_[number]->sensor.config().invertFinger;
  }
  // The optics are slow to run backwards; the device keeps serving meanwhile.
  auto frame = FrameSynthesizer::shared().rawFrame(invert ? image.inverted() : image);
  return withSensor(number, [&](SimulatedSensor& sensor) { sensor.setFingerFrame(std::move(frame)); });
}

bool SensorSimulator::setRawFrame(int number, std::vector<std::uint8_t> frame) {
  if (frame.size() != driver::kFrameSize) return false;
  return withSensor(number, [&](SimulatedSensor& sensor) { sensor.setFingerFrame(std::move(frame)); });
}

bool SensorSimulator::liftFinger(int number) {
  return withSensor(number, [&](SimulatedSensor& sensor) { sensor.liftFinger(); });
}

bool SensorSimulator::fingerPresent(int number) const {
  std::lock_guard guard(mutex_);
  return number >= 0 && number < kDeviceCount && devices_[number] && devices_[number]->sensor.fingerPresent();
}

bool SensorSimulator::reset(int number) {
  return withSensor(number, [&](SimulatedSensor& sensor) { sensor.reset(); });
}

bool SensorSimulator::failControlRequests(int number, int count, int requestCode) {
  return withSensor(number, [&](SimulatedSensor& sensor) { sensor.failControlRequests(count, requestCode); });
}

bool SensorSimulator::failDescriptorRequests(int number, int count) {
  return withSensor(number, [&](SimulatedSensor& sensor) { sensor.failDescriptorRequests(count); });
}

bool SensorSimulator::shortenFrames(int number, int count, std::size_t bytes) {
  return withSensor(number, [&](SimulatedSensor& sensor) { sensor.shortenFrames(count, bytes); });
}

int SensorSimulator::registerValue(int number, int reg) const {
  std::lock_guard guard(mutex_);
  if (number < 0 || number >= kDeviceCount || !devices_[number]) return -1;
  return devices_[number]->sensor.registerValue(reg);
}

std::vector<RecordedRequest> SensorSimulator::requests(int number) const {
  std::lock_guard guard(mutex_);
  if (number < 0 || number >= kDeviceCount) return {};
  return log_[number];
}

void SensorSimulator::clearRequests() {
  std::lock_guard guard(mutex_);
  for (auto& l : log_) l.clear();
}

void SensorSimulator::setRequestHook(RequestHook hook) {
  std::lock_guard guard(mutex_);
  hook_ = std::move(hook);
}

void SensorSimulator::requestStop() {
  std::lock_guard guard(mutex_);
  stopRequested_ = true;
}

bool SensorSimulator::stopRequested() const {
  std::lock_guard guard(mutex_);
  return stopRequested_;
}

std::string SensorSimulator::controlSocketPath(const std::string& deviceDir) {
  return deviceDir + "/ridgeport-sim.ctl";
}

bool SensorSimulator::listenForCommands(std::string* error) {
  if (!ok()) return setError(error, error_);
  if (commandFd_ >= 0) return true;
  commandFd_ = listenOn(controlSocketPath(dir_), error);
  if (commandFd_ < 0) return false;
  commandWakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  commands_ = std::thread([this] { serveCommands(); });
  return true;
}

void SensorSimulator::serveCommands() {
  for (;;) {
    pollfd fds[2] = {{commandFd_, POLLIN, 0}, {commandWakeFd_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    int fd = acceptPeer(commandFd_);
    if (fd < 0) continue;
    CommandChannel::serve(*this, fd);
    ::close(fd);
  }
}

void SensorSimulator::serve() {
  std::vector<Connection> connections;
  std::uint64_t nextId = 1;

  auto drop = [this](Connection& c) {
    {
      std::lock_guard guard(mutex_);
      Device* d = devices_[c.number].get();
      if (d && d->generation == c.generation && d->openedBy == c.id) {
        d->openedBy = 0;  // the client went away without closing: the handle dies with it
        log_[c.number].push_back({Kind::Close});
      }
    }
    ::close(c.fd);
    c.fd = -1;
  };

  for (;;) {
    std::vector<pollfd> fds{{wakeFd_, POLLIN, 0}};
    std::vector<int> listening;  // device number per listening entry
    {
      std::lock_guard guard(mutex_);
      if (!running_) break;
      for (int fd : closing_) ::close(fd);
      closing_.clear();
      for (int n = 0; n < kDeviceCount; ++n) {
        if (!devices_[n]) continue;
        fds.push_back({devices_[n]->listenFd, POLLIN, 0});
        listening.push_back(n);
      }
      // Connections to unplugged devices break, as handles of a removed device do.
      for (auto& c : connections) {
        const Device* d = devices_[c.number].get();
        if (!d || d->generation != c.generation) {
          ::close(c.fd);
          c.fd = -1;
        }
      }
    }
    std::erase_if(connections, [](const Connection& c) { return c.fd < 0; });
    const std::size_t firstConnection = fds.size();
    for (const auto& c : connections) fds.push_back({c.fd, POLLIN, 0});

    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents) {
      std::uint64_t count;
      (void)!::read(wakeFd_, &count, sizeof count);
    }
    for (std::size_t i = 0; i < connections.size(); ++i) {
      if (fds[firstConnection + i].revents && !handleRequest(connections[i])) drop(connections[i]);
    }
    for (std::size_t i = 0; i < listening.size(); ++i) {
      if (!fds[1 + i].revents) continue;
      int fd = acceptPeer(fds[1 + i].fd);
      if (fd < 0) continue;
      std::lock_guard guard(mutex_);
      const Device* d = devices_[listening[i]].get();
      if (!d || d->listenFd != fds[1 + i].fd) {
        ::close(fd);
        continue;
      }
      connections.push_back({fd, listening[i], d->generation, nextId++, false});
    }
    std::erase_if(connections, [](const Connection& c) { return c.fd < 0; });
  }
  for (auto& c : connections) ::close(c.fd);
}

bool SensorSimulator::handleRequest(Connection& c) {
  const net::Deadline deadline = net::deadlineIn(kClientTime);
  std::uint8_t headerBytes[wire::kRequestHeaderSize];
  if (!net::receiveAll(c.fd, headerBytes, sizeof headerBytes, deadline)) return false;
  const wire::RequestHeader h = wire::decodeRequestHeader(headerBytes);
  if (h.inLength > wire::kMaxPayload || h.outLength > wire::kMaxPayload || !knownOp(h.op)) return false;
  std::vector<std::uint8_t> in(h.inLength);
  if (h.inLength > 0 && !net::receiveAll(c.fd, in.data(), in.size(), deadline)) return false;

  RecordedRequest record = describe(h, in);
  RequestHook hook;
  {
    std::lock_guard guard(mutex_);
    hook = hook_;
  }
  if (hook) hook(c.number, record);

  std::uint32_t status = wire::kOk;
  std::vector<std::uint8_t> out;
  bool keep = true;
  {
    std::lock_guard guard(mutex_);
    Device* d = devices_[c.number].get();
    if (!d || d->generation != c.generation) return false;  // unplugged meanwhile
    SimulatedSensor& sensor = d->sensor;
    bool logIt = true;
    if (h.op == wire::kOpen) {
      if (c.opened) {
        status = wire::kBadRequest;
        logIt = false;
      } else if (d->openedBy != 0) {
        status = wire::kSharingViolation;  // opened without sharing elsewhere
      } else {
        d->openedBy = c.id;
        c.opened = true;
      }
    } else if (!c.opened) {
      status = wire::kBadRequest;  // every other request needs an open handle
      logIt = false;
    } else if (h.op == wire::kClose) {
      d->openedBy = 0;
      c.opened = false;
      keep = false;
    } else if (h.op == wire::kGetDescriptor) {
      driver::DeviceDescriptor descriptor{};
      if (sensor.descriptor(descriptor))
        out.assign(descriptor.begin(), descriptor.end());
      else
        status = wire::kDeviceError;
    } else if (h.op == wire::kRead) {
      if (!sensor.read(h.outLength, out)) status = wire::kDeviceError;
    } else {  // vendor request
      const auto& r = record.control;
      const std::size_t dataIn = in.size() - std::min(in.size(), driver::ControlRequest::kRecordSize);
      if (in.size() < driver::ControlRequest::kRecordSize || (!r.readsFromDevice() && dataIn != r.length) ||
          (r.readsFromDevice() && h.outLength != r.length)) {
        status = wire::kBadRequest;
      } else {
        std::vector<std::uint8_t> data(in.begin() + driver::ControlRequest::kRecordSize, in.end());
        if (!sensor.vendorRequest(r, data))
          status = wire::kDeviceError;
        else if (r.readsFromDevice())
          out = std::move(data);
      }
    }
    record.failed = status != wire::kOk;
    if (logIt) log_[c.number].push_back(record);
  }
  const auto reply = wire::encode(wire::ReplyHeader{status, static_cast<std::uint32_t>(out.size())});
  if (!net::sendAll(c.fd, reply.data(), reply.size(), deadline) ||
      (!out.empty() && !net::sendAll(c.fd, out.data(), out.size(), deadline)))
    return false;
  return keep;
}

}  // namespace ridgeport::sim
