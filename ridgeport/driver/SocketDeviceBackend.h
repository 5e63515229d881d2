#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "ridgeport/driver/DeviceBackend.h"

namespace ridgeport::driver {

// Device objects served by the simulated sensor (ridgeport-sim) as Unix sockets
// VERAUSB0..VERAUSB14 in the device folder. The folder must be private
// (platform::paths::privateDir); one that is not is not used, and the reason is
// written once to standard error.
class SocketDeviceBackend : public DeviceBackend {
 public:
  // One deadline per call: connecting, and each request with its reply, must be
  // done within it or the call fails (the object is unusable from then on).
  static constexpr std::chrono::milliseconds kTimeout{5000};
  // The presence listing waits no longer than this for any one device object.
  static constexpr std::chrono::milliseconds kPresenceProbe{200};

  // deviceDir empty: platform::paths::deviceDir(), looked up at every call so that
  // the folder follows the environment.
  explicit SocketDeviceBackend(std::string deviceDir = {}, std::chrono::milliseconds timeout = kTimeout);

  std::unique_ptr<DeviceObject> open(int number) override;
  std::vector<DeviceInstance> deviceInstances() override;

 private:
  std::string folder() const;
  // The device folder when it exists and is private.
  std::optional<std::string> usableFolder() const;

  std::string deviceDir_;
  std::chrono::milliseconds timeout_;
};

}  // namespace ridgeport::driver
