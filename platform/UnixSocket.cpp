#include "platform/UnixSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <thread>

namespace platform::unixsocket {
namespace {

constexpr auto kFullQueueRetry = std::chrono::milliseconds(5);

bool fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

bool addressOf(const std::string& path, sockaddr_un& addr, std::string* error) {
  addr = {};
  if (path.empty() || path.size() >= sizeof addr.sun_path) {
    errno = ENAMETOOLONG;
    return fail(error, path + ": path too long for a socket");
  }
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

// Milliseconds left, rounded up so that a wait never ends just before the deadline.
int remainingMs(Deadline deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return ms > 1 << 30 ? 1 << 30 : static_cast<int>(ms);
}

// Waits until fd is ready for events or the deadline passes (false, ETIMEDOUT).
bool waitFor(int fd, short events, Deadline deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, remainingMs(deadline));
    if (n > 0) return true;
    if (n == 0) {
      errno = ETIMEDOUT;
      return false;
    }
    if (errno != EINTR) return false;
  }
}

bool connectBefore(int fd, const sockaddr_un& addr, Deadline deadline) {
  for (;;) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return true;
    if (errno == EINTR) continue;
    if (errno == EAGAIN) {
      // The server's queue is full (it does not accept): try again until the deadline.
      if (Clock::now() + kFullQueueRetry >= deadline) {
        errno = ETIMEDOUT;
        return false;
      }
      std::this_thread::sleep_for(kFullQueueRetry);
      continue;
    }
    if (errno != EINPROGRESS) return false;
    if (!waitFor(fd, POLLOUT, deadline)) return false;
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return false;
    errno = err;
    return err == 0;
  }
}

}  // namespace

int connectTo(const std::string& path, Deadline deadline, std::string* error) {
  sockaddr_un addr;
  if (!addressOf(path, addr, error)) return -1;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return fail(error, path + ": " + std::strerror(errno)), -1;
  if (!connectBefore(fd, addr, deadline)) {
    const int err = errno;
    ::close(fd);
    errno = err;
    return fail(error, path + ": " + (err == ETIMEDOUT ? std::string("no answer in time") : std::strerror(err))), -1;
  }
  const long uid = peerUid(fd);
  if (uid != static_cast<long>(::geteuid())) {
    ::close(fd);
    errno = EPERM;
    return fail(error, path + ": served by another user (uid " + std::to_string(uid) + "); not using it"), -1;
  }
  return fd;
}

long peerUid(int fd) {
  struct ucred cred {};
  socklen_t len = sizeof cred;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return -1;
  return static_cast<long>(cred.uid);
}

bool sendAll(int fd, const void* data, std::size_t size, Deadline deadline) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      p += n;
      size -= static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!waitFor(fd, POLLOUT, deadline)) return false;
      continue;
    }
    return false;
  }
  return true;
}

long receiveSome(int fd, void* data, std::size_t size, Deadline deadline) {
  for (;;) {
    const ssize_t n = ::recv(fd, data, size, MSG_DONTWAIT);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
    if (!waitFor(fd, POLLIN, deadline)) return -1;
  }
}

bool receiveAll(int fd, void* data, std::size_t size, Deadline deadline) {
  auto* p = static_cast<char*>(data);
  while (size > 0) {
    const long n = receiveSome(fd, p, size, deadline);
    if (n <= 0) {
      if (n == 0) errno = ECONNRESET;
      return false;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

int listenAt(const std::string& path, int backlog, std::string* error) {
  sockaddr_un addr;
  if (!addressOf(path, addr, error)) return -1;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return fail(error, path + ": " + std::strerror(errno)), -1;
  // The socket file takes the mode of the socket's inode at bind time: no moment
  // in which another user could connect.
  if (::fchmod(fd, 0600) != 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(fd, backlog) != 0) {
    const int err = errno;
    ::close(fd);
    errno = err;
    return fail(error, path + ": " + std::strerror(err)), -1;
  }
  return fd;
}

}  // namespace platform::unixsocket
