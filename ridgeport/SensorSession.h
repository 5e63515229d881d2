#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "ridgeport/SensorSharing.h"
#include "ridgeport/Status.h"
#include "ridgeport/driver/DeviceBackend.h"

namespace ridgeport {

// The library-wide state of the sensor connection (one per process) and the
// device traffic over it. Every I/O control call and frame read goes through
// the sharing rule (SensorSharing).
//
// The state is guarded so that a call from a second thread (the program's
// presence poller during a capture) can never corrupt it; an open handle lives
// until the last transfer on it has finished, even when another thread closes it.
class SensorSession {
 public:
  static constexpr int kExpectedRegister17 = 0x80;

  explicit SensorSession(driver::DeviceBackend& backend);
  static SensorSession& instance();

  driver::DeviceBackend& backend() { return backend_; }

  // State. needsReset is set at load and by close(); takeReset() clears the state
  // (no handle, revision -1, expected register 0x17 value -1) if it is set.
  void takeReset();
  bool hasDevice() const;
  int revision() const;
  int expectedRegister17() const;
  void setExpectedRegister17(int value);
  void adopt(std::shared_ptr<driver::DeviceObject> device, int revision);
  void close();

  // Transfers on a given device object (the device search) or on the open one.
  // Without an open device the call fails like any failed call.
  Status fetchDescriptor(driver::DeviceObject* device, driver::DeviceDescriptor& descriptor);
  Status vendorRequest(const driver::ControlRequest& request, std::uint8_t* data);
  Status readFrame(std::uint8_t* frame);  // driver::kFrameSize bytes

  // VerifyDevice: the open device still carries an accepted identity. Succeeds
  // without an open device.
  Status verifyDevice();
  // The descriptor of the open device (identity checked), or a status.
  Status deviceDescriptor(driver::DeviceDescriptor& descriptor, bool* haveDevice);

  Status readRegister(int reg, std::uint8_t& value);
  Status writeRegister(int reg, int value);
  Status readDeviceValue(std::uint8_t request, std::uint8_t& value);

  static bool carriesAcceptedIdentity(const driver::DeviceDescriptor& descriptor);

 private:
  std::shared_ptr<driver::DeviceObject> device() const;
  Status identityOf(const driver::DeviceDescriptor& descriptor) const;

  driver::DeviceBackend& backend_;
  SensorSharing sharing_;
  mutable std::mutex mutex_;
  std::shared_ptr<driver::DeviceObject> device_;
  int revision_ = -1;
  int expectedRegister17_ = -1;
  bool needsReset_ = true;
};

}  // namespace ridgeport
