#pragma once

#include <cstdint>
#include <string>

namespace ridgeport::driver {

// One entry of the USB device class: what the operating system records for a
// plugged-in USB device, read by the program to tell whether a sensor is there.
struct DeviceInstance {
  // "USB\VID_2E5A&PID_0301\<instance>" (see SensorIdentity.h for the prefix)
  std::string deviceInstance;
  // 1 while the device is present and its device object can be opened, else 0
  std::uint32_t linked = 0;
};

}  // namespace ridgeport::driver
