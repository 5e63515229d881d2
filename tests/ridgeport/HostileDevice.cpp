#include "tests/ridgeport/HostileDevice.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/UnixSocket.h"
#include "ridgeport/driver/ControlRequest.h"
#include "ridgeport/driver/SocketWire.h"

namespace ridgeport::test {

namespace wire = driver::wire;
namespace net = platform::unixsocket;

namespace {

constexpr auto kStep = std::chrono::seconds(2);

std::vector<std::uint8_t> replyOf(std::uint32_t status, const std::vector<std::uint8_t>& out) {
  auto header = wire::encode(wire::ReplyHeader{status, static_cast<std::uint32_t>(out.size())});
  std::vector<std::uint8_t> bytes(header.begin(), header.end());
  bytes.insert(bytes.end(), out.begin(), out.end());
  return bytes;
}

}  // namespace

HostileDevice::HostileDevice(const std::string& dir, int number, Fault fault, std::uint32_t faultOp,
                             std::chrono::milliseconds dripEvery)
    : fault_(fault), faultOp_(faultOp), dripEvery_(dripEvery) {
  const std::string path = wire::socketPath(dir, number);
  listenFd_ = net::listenAt(path, fault == Fault::NeverAccept ? 0 : 8);
  if (listenFd_ < 0) return;
  if (fault == Fault::NeverAccept) {
    // Fill the queue, so that a further connect finds no room.
    for (int i = 0; i < 8; ++i) {
      const int connected = net::connectTo(path, net::deadlineIn(std::chrono::milliseconds(0)));
      if (connected < 0) break;
      queued_.push_back(connected);
    }
    return;
  }
  stopFd_ = ::eventfd(0, EFD_CLOEXEC);
  server_ = std::thread([this] { serve(); });
}

HostileDevice::~HostileDevice() {
  stopping_ = true;
  if (stopFd_ >= 0) {
    const std::uint64_t one = 1;
    (void)!::write(stopFd_, &one, sizeof one);
  }
  if (server_.joinable()) server_.join();
  for (int fd : queued_) ::close(fd);
  if (stopFd_ >= 0) ::close(stopFd_);
  if (listenFd_ >= 0) ::close(listenFd_);
}

void HostileDevice::serve() {
  // One client at a time, as the library uses a device object.
  while (!stopping_) {
    pollfd wait[2] = {{listenFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    if (::poll(wait, 2, -1) <= 0 || wait[1].revents) return;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    for (;;) {
      pollfd client[2] = {{fd, POLLIN, 0}, {stopFd_, POLLIN, 0}};
      if (::poll(client, 2, -1) <= 0 || client[1].revents || !answer(fd)) break;
    }
    ::close(fd);
  }
}

bool HostileDevice::answer(int fd) {
  std::uint8_t headerBytes[wire::kRequestHeaderSize];
  if (!net::receiveAll(fd, headerBytes, sizeof headerBytes, net::deadlineIn(kStep))) return false;
  const wire::RequestHeader h = wire::decodeRequestHeader(headerBytes);
  if (h.inLength > wire::kMaxPayload || h.outLength > wire::kMaxPayload) return false;
  std::vector<std::uint8_t> in(h.inLength);
  if (h.inLength > 0 && !net::receiveAll(fd, in.data(), in.size(), net::deadlineIn(kStep))) return false;

  std::vector<std::uint8_t> out;
  if (h.op == wire::kGetDescriptor) {
    out.assign(driver::kDescriptorSize, 0);
    out[0] = driver::kDescriptorSize;
    out[1] = 1;
    out[driver::kDescriptorVendorOffset] = 0x5A;  // identity A, 2E5A:0301
    out[driver::kDescriptorVendorOffset + 1] = 0x2E;
    out[driver::kDescriptorProductOffset] = 0x01;
    out[driver::kDescriptorProductOffset + 1] = 0x03;
    out[driver::kDescriptorReleaseOffset] = 0x21;
  } else if (h.op == wire::kVendorRequest && in.size() >= driver::ControlRequest::kRecordSize) {
    // Registers keep what is written, so the library sees a sensor that stays programmed.
    const auto r = driver::ControlRequest::decode(in.data());
    if (r.request == 0x50) registers_[r.value & 0xFF] = static_cast<std::uint8_t>(r.index);
    if (r.readsFromDevice()) out.assign(r.length, r.request == 0x4F ? registers_[r.value & 0xFF] : 6);
  } else if (h.op == wire::kRead) {
    out.assign(h.outLength, 0x80);
  }
  const bool faulted = h.op == faultOp_;
  if (faulted && fault_ == Fault::FloodReply) return flood(fd);
  const auto reply = replyOf(wire::kOk, out);
  if (faulted && fault_ == Fault::DripReply) return sendSlowly(fd, reply);
  return net::sendAll(fd, reply.data(), reply.size(), net::deadlineIn(kStep));
}

bool HostileDevice::sendSlowly(int fd, const std::vector<std::uint8_t>& bytes) {
  // Each byte well within any per-receive time-out; the whole far beyond a call's.
  for (std::uint8_t b : bytes) {
    if (stopping_ || ::send(fd, &b, 1, MSG_NOSIGNAL) != 1) return false;
    std::this_thread::sleep_for(dripEvery_);
  }
  return true;
}

bool HostileDevice::flood(int fd) {
  const std::vector<std::uint8_t> zeros(65536, 0);
  while (!stopping_ && net::sendAll(fd, zeros.data(), zeros.size(), net::deadlineIn(std::chrono::milliseconds(50)))) {
  }
  // Blocked: the client reads no further. Keep the connection until it goes.
  return !stopping_ && errno == ETIMEDOUT;
}

}  // namespace ridgeport::test
