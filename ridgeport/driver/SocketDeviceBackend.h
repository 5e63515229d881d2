#pragma once

#include <string>

#include "ridgeport/driver/DeviceBackend.h"

namespace ridgeport::driver {

// Device objects served by the simulated sensor (ridgeport-sim) as Unix sockets
// VERAUSB0..VERAUSB14 in the device folder.
class SocketDeviceBackend : public DeviceBackend {
 public:
  // Replies slower than this count as a failed request.
  static constexpr int kTimeoutMs = 5000;

  // deviceDir empty: platform::paths::deviceDir(), looked up at every call so that
  // the folder follows the environment.
  explicit SocketDeviceBackend(std::string deviceDir = {});

  std::unique_ptr<DeviceObject> open(int number) override;
  std::vector<DeviceInstance> deviceInstances() override;

 private:
  std::string folder() const;

  std::string deviceDir_;
};

}  // namespace ridgeport::driver
