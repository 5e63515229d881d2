#pragma once

#include <chrono>
#include <cstddef>
#include <string>

// Local stream sockets with a deadline on every step and a check of who is at
// the other end. Qt-free, for the sensor library, the simulated sensor and the
// message bridge's clients alike.
//
//   auto deadline = unixsocket::deadlineIn(std::chrono::seconds(5));
//   int fd = unixsocket::connectTo(path, deadline, &error);   // refuses another user's server
//   if (fd < 0 || !unixsocket::sendAll(fd, request, n, deadline)) ...
namespace platform::unixsocket {

using Clock = std::chrono::steady_clock;
using Deadline = Clock::time_point;

inline Deadline deadlineIn(std::chrono::milliseconds time) { return Clock::now() + time; }

// Connects to the socket at path without waiting past the deadline (a server
// that never accepts cannot hold the caller), then requires the server to run as
// this user (SO_PEERCRED). The socket is close-on-exec and non-blocking. Returns
// it, or -1 with errno (ETIMEDOUT, EPERM for another user's server, ...) and
// *error saying why.
int connectTo(const std::string& path, Deadline deadline, std::string* error = nullptr);

// The user id of the process at the other end (of a client's socket: the server
// that listens), or -1 when the kernel cannot tell.
long peerUid(int fd);

// Whole-buffer I/O that gives up at the deadline, at the end of the stream or on
// an error (false, errno ETIMEDOUT for the deadline). Sending never raises SIGPIPE.
bool sendAll(int fd, const void* data, std::size_t size, Deadline deadline);
bool receiveAll(int fd, void* data, std::size_t size, Deadline deadline);
// What has arrived, at most size bytes, waiting until the deadline for the first:
// the count, 0 at the end of the stream, -1 on an error or at the deadline.
long receiveSome(int fd, void* data, std::size_t size, Deadline deadline);

// A listening socket at path, which must not exist yet: mode 0600 from the start,
// close-on-exec. -1 with *error naming the path and the reason.
int listenAt(const std::string& path, int backlog, std::string* error = nullptr);

}  // namespace platform::unixsocket
