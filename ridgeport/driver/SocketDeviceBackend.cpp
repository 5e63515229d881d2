#include "ridgeport/driver/SocketDeviceBackend.h"

#include <unistd.h>
#include <fstream>
#include <vector>

#include "platform/Paths.h"
#include "ridgeport/driver/SocketWire.h"

namespace ridgeport::driver {
namespace {

class SocketDevice : public DeviceObject {
 public:
  explicit SocketDevice(int fd) : fd_(fd) {}

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
  // Sends one request and receives its reply into out (at most outSize bytes).
  // Returns the reply's status, or kDeviceError when the connection failed.
  std::uint32_t call(std::uint32_t op, const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                     std::size_t outSize, std::uint32_t* got) {
    *got = 0;
    if (broken_) return wire::kDeviceError;
    wire::RequestHeader h{op, static_cast<std::uint32_t>(inSize), static_cast<std::uint32_t>(outSize)};
    auto header = wire::encode(h);
    wire::ReplyHeader reply;
    std::uint8_t replyBytes[wire::kReplyHeaderSize];
    if (!wire::sendAll(fd_, header.data(), header.size()) || (inSize > 0 && !wire::sendAll(fd_, in, inSize)) ||
        !wire::receiveAll(fd_, replyBytes, sizeof replyBytes)) {
      broken_ = true;  // a lost or late reply leaves the stream out of step
      return wire::kDeviceError;
    }
    reply = wire::decodeReplyHeader(replyBytes);
    if (reply.length > outSize || (reply.length > 0 && !wire::receiveAll(fd_, out, reply.length))) {
      broken_ = true;
      return wire::kDeviceError;
    }
    *got = reply.length;
    return reply.status;
  }

  int fd_;
  bool opened_ = false;
  bool broken_ = false;
};

}  // namespace

SocketDeviceBackend::SocketDeviceBackend(std::string deviceDir) : deviceDir_(std::move(deviceDir)) {}

std::string SocketDeviceBackend::folder() const {
  return deviceDir_.empty() ? platform::paths::deviceDir() : deviceDir_;
}

std::unique_ptr<DeviceObject> SocketDeviceBackend::open(int number) {
  if (number < 0 || number >= kDeviceObjectCount) return nullptr;
  int fd = wire::connectTo(wire::socketPath(folder(), number));
  if (fd < 0) return nullptr;
  wire::setTimeouts(fd, kTimeoutMs);
  auto device = std::make_unique<SocketDevice>(fd);
  if (!device->open()) return nullptr;
  return device;
}

std::vector<DeviceInstance> SocketDeviceBackend::deviceInstances() {
  std::vector<DeviceInstance> list;
  const std::string dir = folder();
  for (int n = 0; n < kDeviceObjectCount; ++n) {
    std::ifstream file(wire::instanceFilePath(dir, n));
    std::string text;
    if (!file || !std::getline(file, text) || text.empty()) continue;
    // A simulator that died leaves its files behind: only a socket that still
    // answers is a linked device.
    int fd = wire::connectTo(wire::socketPath(dir, n));
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
