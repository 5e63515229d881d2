#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ridgeport::sim {

class SensorSimulator;

// The commands that change a running simulator from outside: one command per
// connection to its control socket, a text line (and for "finger" the image
// bytes after it); the answer is "ok" or "error: ..." on the first line, then
// any listing, then the end of the stream.
//
//   plug DEVICE                    unplug N          reset N
//   finger N WIDTH HEIGHT + bytes  lift N            status
//   fail-control N COUNT [REQUEST] fail-descriptor N COUNT
//   short-frame N COUNT BYTES      log N             clear-log      stop
class CommandChannel {
 public:
  // Server side: reads one command from fd, carries it out and answers.
  static void serve(SensorSimulator& simulator, int fd);

  // Client side: sends one command to the simulator serving deviceDir. Returns
  // false when it cannot be reached or answers with an error (*reply then holds
  // the reason); on success *reply holds the lines after "ok".
  static bool send(const std::string& deviceDir, const std::string& line, const std::vector<std::uint8_t>& payload,
                   std::string* reply);
};

}  // namespace ridgeport::sim
