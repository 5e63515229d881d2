#pragma once

#include <cstddef>
#include <cstdint>

#include "ridgeport/driver/ControlRequest.h"

namespace ridgeport::driver {

// One opened device object of the sensor driver ("\\.\VERAUSB<n>"), opened for
// reading and writing and not shared. Destroying it closes the handle.
//
// A device object is used by one thread at a time.
class DeviceObject {
 public:
  virtual ~DeviceObject() = default;

  // I/O control kIoctlGetDescriptor: the 18-byte USB device descriptor.
  virtual bool getDescriptor(DeviceDescriptor& descriptor) = 0;

  // I/O control kIoctlVendorRequest. data holds request.length bytes: sent for a
  // host-to-device request, filled for a device-to-host one.
  virtual bool vendorRequest(const ControlRequest& request, std::uint8_t* data) = 0;

  // Plain read (one raw frame after a start-frame request). Returns the number
  // of bytes delivered, or -1 when the read failed.
  virtual long read(std::uint8_t* buffer, std::size_t size) = 0;
};

}  // namespace ridgeport::driver
