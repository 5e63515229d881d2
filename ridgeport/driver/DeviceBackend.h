#pragma once

#include <memory>
#include <vector>

#include "ridgeport/driver/DeviceInstance.h"
#include "ridgeport/driver/DeviceObject.h"

namespace ridgeport::driver {

// How device objects are reached: today the simulated sensor's sockets
// (SocketDeviceBackend); a backend for real sensors over libusb implements the
// same two calls.
class DeviceBackend {
 public:
  static constexpr int kDeviceObjectCount = 15;  // VERAUSB0 .. VERAUSB14

  virtual ~DeviceBackend() = default;

  // Opens device object number (0..14), existing objects only. Null when there is
  // no such object or it is open elsewhere.
  virtual std::unique_ptr<DeviceObject> open(int number) = 0;

  // Every USB device that the backend knows, present or not.
  virtual std::vector<DeviceInstance> deviceInstances() = 0;

  // The backend of this process.
  static DeviceBackend& active();
};

// The presence listing of the USB device class (DeviceBackend::active()).
std::vector<DeviceInstance> listDeviceInstances();

}  // namespace ridgeport::driver
