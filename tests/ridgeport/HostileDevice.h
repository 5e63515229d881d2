#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace ridgeport::test {

// A device object that speaks the simulated sensor's wire, as a sensor of
// identity A would, but misbehaves on purpose: what another program (or a
// driver gone wrong) could put behind a device socket.
class HostileDevice {
 public:
  enum class Fault {
    DripReply,    // the reply to the chosen request comes one byte at a time
    FloodReply,   // the chosen request is answered with an endless stream of zero bytes
    NeverAccept,  // connections are never accepted and the queue is full
  };

  // Serves VERAUSB<number> in dir. faultOp: the wire op whose replies misbehave.
  HostileDevice(const std::string& dir, int number, Fault fault, std::uint32_t faultOp = 0,
                std::chrono::milliseconds dripEvery = std::chrono::milliseconds(20));
  ~HostileDevice();
  HostileDevice(const HostileDevice&) = delete;
  HostileDevice& operator=(const HostileDevice&) = delete;

  bool ok() const { return listenFd_ >= 0; }

 private:
  void serve();
  bool answer(int fd);
  bool sendSlowly(int fd, const std::vector<std::uint8_t>& bytes);
  bool flood(int fd);

  Fault fault_;
  std::uint32_t faultOp_;
  std::chrono::milliseconds dripEvery_;
  int listenFd_ = -1;
  int stopFd_ = -1;
  std::vector<int> queued_;  // NeverAccept: the connections that fill the queue
  std::uint8_t registers_[256] = {};
  std::atomic<bool> stopping_{false};
  std::thread server_;
};

}  // namespace ridgeport::test
