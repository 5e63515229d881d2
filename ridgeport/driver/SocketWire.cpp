#include "ridgeport/driver/SocketWire.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace ridgeport::driver::wire {
namespace {

void put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t get32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

std::array<std::uint8_t, kRequestHeaderSize> encode(const RequestHeader& h) {
  std::array<std::uint8_t, kRequestHeaderSize> b{};
  put32(&b[0], h.op);
  put32(&b[4], h.inLength);
  put32(&b[8], h.outLength);
  return b;
}

std::array<std::uint8_t, kReplyHeaderSize> encode(const ReplyHeader& h) {
  std::array<std::uint8_t, kReplyHeaderSize> b{};
  put32(&b[0], h.status);
  put32(&b[4], h.length);
  return b;
}

RequestHeader decodeRequestHeader(const std::uint8_t* b) { return {get32(b), get32(b + 4), get32(b + 8)}; }

ReplyHeader decodeReplyHeader(const std::uint8_t* b) { return {get32(b), get32(b + 4)}; }

bool sendAll(int fd, const void* data, std::size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool receiveAll(int fd, void* data, std::size_t size) {
  auto* p = static_cast<char*>(data);
  while (size > 0) {
    ssize_t n = ::recv(fd, p, size, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

void setTimeouts(int fd, int milliseconds) {
  timeval tv{};
  tv.tv_sec = milliseconds / 1000;
  tv.tv_usec = (milliseconds % 1000) * 1000;
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

int connectTo(const std::string& path) {
  sockaddr_un addr{};
  if (path.size() >= sizeof addr.sun_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int rc;
  do {
    rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    int saved = errno;
    ::close(fd);
    errno = saved;
    return -1;
  }
  return fd;
}

std::string socketPath(const std::string& deviceDir, int number) {
  return deviceDir + "/VERAUSB" + std::to_string(number);
}

std::string instanceFilePath(const std::string& deviceDir, int number) {
  return socketPath(deviceDir, number) + ".instance";
}

}  // namespace ridgeport::driver::wire
