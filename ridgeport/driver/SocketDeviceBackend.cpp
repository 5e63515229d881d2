#include "ridgeport/driver/SocketDeviceBackend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <vector>

#include "platform/Paths.h"
#include "platform/UnixSocket.h"
#include "ridgeport/driver/SocketWire.h"

namespace ridgeport::driver {
namespace {

namespace net = platform::unixsocket;

class SocketDevice : public DeviceObject {
 public:
  SocketDevice(int fd, std::chrono::milliseconds timeout) : fd_(fd), timeout_(timeout) {}

  ~SocketDevice() override {
    // Say goodbye, so that the device has let go of the object when we return.
    std::uint32_t got = 0;
    if (opened_) call(wire::kClose, nullptr, 0, nullptr, 0, &got);
    ::close(fd_);
  }

  bool open() {
    std::uint32_t got = 0;
    opened_ = call(wire::kOpen, nullptr, 0, nullptr, 0, &got) == wire::kOk;
    return opened_;
  }

  bool getDescriptor(DeviceDescriptor& descriptor) override {
    DeviceDescriptor reply{};
    std::uint32_t got = 0;
    if (call(wire::kGetDescriptor, nullptr, 0, reply.data(), reply.size(), &got) != wire::kOk || got != reply.size())
      return false;
    descriptor = reply;
    return true;
  }

  bool vendorRequest(const ControlRequest& request, std::uint8_t* data) override {
    auto record = request.encode();
    std::vector<std::uint8_t> in(record.begin(), record.end());
    const bool reads = request.readsFromDevice();
    if (!reads && request.length > 0) in.insert(in.end(), data, data + request.length);
    std::vector<std::uint8_t> out(reads ? request.length : 0);
    std::uint32_t got = 0;
    if (call(wire::kVendorRequest, in.data(), in.size(), out.data(), out.size(), &got) != wire::kOk) return false;
    if (got != out.size()) return false;
    if (reads && got > 0) std::copy(out.begin(), out.end(), data);
    return true;
  }

  long read(std::uint8_t* buffer, std::size_t size) override {
    std::uint32_t got = 0;
    if (call(wire::kRead, nullptr, 0, buffer, size, &got) != wire::kOk) return -1;
    return static_cast<long>(got);
  }

 private:
  // Sends one request and receives its reply into out (at most outSize bytes),
  // all before one deadline: a device that answers a byte at a time cannot
  // stretch a call. Returns the reply's status, or kDeviceError when the
  // connection failed or the deadline passed.
  std::uint32_t call(std::uint32_t op, const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                     std::size_t outSize, std::uint32_t* got) {
    *got = 0;
    if (broken_) return wire::kDeviceError;
    const net::Deadline deadline = net::deadlineIn(timeout_);
    wire::RequestHeader h{op, static_cast<std::uint32_t>(inSize), static_cast<std::uint32_t>(outSize)};
    auto header = wire::encode(h);
    std::uint8_t replyBytes[wire::kReplyHeaderSize];
    if (!net::sendAll(fd_, header.data(), header.size(), deadline) ||
        (inSize > 0 && !net::sendAll(fd_, in, inSize, deadline)) ||
        !net::receiveAll(fd_, replyBytes, sizeof replyBytes, deadline)) {
      broken_ = true;  // a lost or late reply leaves the stream out of step
      return wire::kDeviceError;
    }
    const wire::ReplyHeader reply = wire::decodeReplyHeader(replyBytes);
    if (reply.length > outSize || (reply.length > 0 && !net::receiveAll(fd_, out, reply.length, deadline))) {
      broken_ = true;
      return wire::kDeviceError;
    }
    *got = reply.length;
    return reply.status;
  }

  int fd_;
  std::chrono::milliseconds timeout_;
  bool opened_ = false;
  bool broken_ = false;
};

// The first line of an instance file: a regular file of this user, read up to a
// few hundred bytes without waiting. Empty when there is none or it is unusable.
std::string instanceText(const std::string& path) {
  std::string error;
  const int fd = platform::paths::openPrivateFile(path, O_RDONLY, &error);
  if (fd < 0) {
    if (errno != ENOENT) platform::paths::warnOnce(error);
    return {};
  }
  char buffer[wire::kMaxInstanceText + 1];
  std::size_t have = 0;
  while (have < sizeof buffer) {
    const ssize_t n = ::read(fd, buffer + have, sizeof buffer - have);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    have += static_cast<std::size_t>(n);
  }
  ::close(fd);
  const std::string text(buffer, have);
  const auto end = text.find('\n');
  if (end == std::string::npos && have > wire::kMaxInstanceText) return {};  // no line of a sensible length
  return text.substr(0, end);
}

}  // namespace

SocketDeviceBackend::SocketDeviceBackend(std::string deviceDir, std::chrono::milliseconds timeout)
    : deviceDir_(std::move(deviceDir)), timeout_(timeout) {}

std::string SocketDeviceBackend::folder() const {
  return deviceDir_.empty() ? platform::paths::deviceDir() : deviceDir_;
}

std::optional<std::string> SocketDeviceBackend::usableFolder() const {
  const std::string dir = folder();
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0 && errno == ENOENT) return std::nullopt;  // no simulator made it
  platform::paths::PrivateDir checked = platform::paths::privateDir(dir, false);
  if (!checked) {
    platform::paths::warnOnce(checked.error);
    return std::nullopt;
  }
  return checked.path;
}

std::unique_ptr<DeviceObject> SocketDeviceBackend::open(int number) {
  if (number < 0 || number >= kDeviceObjectCount) return nullptr;
  const auto dir = usableFolder();
  if (!dir) return nullptr;
  const int fd = net::connectTo(wire::socketPath(*dir, number), net::deadlineIn(timeout_));
  if (fd < 0) return nullptr;
  auto device = std::make_unique<SocketDevice>(fd, timeout_);
  if (!device->open()) return nullptr;
  return device;
}

std::vector<DeviceInstance> SocketDeviceBackend::deviceInstances() {
  std::vector<DeviceInstance> list;
  const auto dir = usableFolder();
  if (!dir) return list;
  for (int n = 0; n < kDeviceObjectCount; ++n) {
    const std::string text = instanceText(wire::instanceFilePath(*dir, n));
    if (text.empty()) continue;
    // A simulator that died leaves its files behind: only a socket that still
    // answers, in time and as this user, is a linked device.
    const int fd = net::connectTo(wire::socketPath(*dir, n), net::deadlineIn(std::min(timeout_, kPresenceProbe)));
    if (fd >= 0) ::close(fd);
    list.push_back({text, fd >= 0 ? 1u : 0u});
  }
  return list;
}

DeviceBackend& DeviceBackend::active() {
  static SocketDeviceBackend backend;
  return backend;
}

std::vector<DeviceInstance> listDeviceInstances() { return DeviceBackend::active().deviceInstances(); }

}  // namespace ridgeport::driver
