#include "ridgeport/SensorSession.h"

#include "ridgeport/driver/SensorIdentity.h"

namespace ridgeport {

using driver::ControlRequest;
using driver::DeviceDescriptor;
using driver::DeviceObject;
using Kind = SensorSharing::Kind;

namespace {

constexpr std::uint8_t kReadRegister = 0x4F;
constexpr std::uint8_t kWriteRegister = 0x50;

// Runs one call inside the sharing rule. call() returns false when the device
// failed the call.
template <class Call>
Status transfer(SensorSharing& sharing, Kind kind, Call&& call) {
  Status entered = sharing.enter(kind);
  if (!entered.ok()) return entered;
  Status result = call();
  sharing.leave();
  return result;
}

}  // namespace

SensorSession::SensorSession(driver::DeviceBackend& backend) : backend_(backend) {}

SensorSession& SensorSession::instance() {
  static SensorSession session(driver::DeviceBackend::active());
  return session;
}

void SensorSession::takeReset() {
  std::lock_guard guard(mutex_);
  if (!needsReset_) return;
  device_.reset();
  revision_ = -1;
  expectedRegister17_ = -1;
  needsReset_ = false;
}

bool SensorSession::hasDevice() const {
  std::lock_guard guard(mutex_);
  return device_ != nullptr;
}

int SensorSession::revision() const {
  std::lock_guard guard(mutex_);
  return revision_;
}

int SensorSession::expectedRegister17() const {
  std::lock_guard guard(mutex_);
  return expectedRegister17_;
}

void SensorSession::setExpectedRegister17(int value) {
  std::lock_guard guard(mutex_);
  expectedRegister17_ = value;
}

void SensorSession::adopt(std::shared_ptr<DeviceObject> device, int revision) {
  std::lock_guard guard(mutex_);
  device_ = std::move(device);
  revision_ = revision;
}

void SensorSession::close() {
  std::shared_ptr<DeviceObject> closing;
  {
    std::lock_guard guard(mutex_);
    closing = std::move(device_);
    needsReset_ = true;
  }
  // closing goes out of scope here, outside the lock: the handle closes once no
  // transfer uses it any more.
}

std::shared_ptr<DeviceObject> SensorSession::device() const {
  std::lock_guard guard(mutex_);
  return device_;
}

Status SensorSession::fetchDescriptor(DeviceObject* device, DeviceDescriptor& descriptor) {
  return transfer(sharing_, Kind::Control, [&] {
    return device && device->getDescriptor(descriptor) ? Status::success() : Status::of(kControlFailed);
  });
}

Status SensorSession::vendorRequest(const ControlRequest& request, std::uint8_t* data) {
  auto open = device();
  return transfer(sharing_, Kind::Control, [&] {
    return open && open->vendorRequest(request, data) ? Status::success() : Status::of(kControlFailed);
  });
}

Status SensorSession::readFrame(std::uint8_t* frame) {
  auto open = device();
  return transfer(sharing_, Kind::FrameRead, [&] {
    if (!open) return Status::of(kReadFailed);
    long got = open->read(frame, driver::kFrameSize);
    if (got < 0) return Status::of(kReadFailed);
    return got < static_cast<long>(driver::kFrameSize) ? Status::of(kShortFrame) : Status::success();
  });
}

bool SensorSession::carriesAcceptedIdentity(const DeviceDescriptor& d) {
  return driver::isAcceptedSensor({driver::descriptorWord(d, driver::kDescriptorVendorOffset),
                                   driver::descriptorWord(d, driver::kDescriptorProductOffset)});
}

Status SensorSession::identityOf(const DeviceDescriptor& descriptor) const {
  return carriesAcceptedIdentity(descriptor) ? Status::success() : Status::of(kIdentityMismatch);
}

Status SensorSession::deviceDescriptor(DeviceDescriptor& descriptor, bool* haveDevice) {
  auto open = device();
  *haveDevice = open != nullptr;
  if (!open) return Status::success();
  Status fetched = fetchDescriptor(open.get(), descriptor);
  return fetched.ok() ? identityOf(descriptor) : fetched;
}

Status SensorSession::verifyDevice() {
  DeviceDescriptor descriptor{};
  bool haveDevice = false;
  return deviceDescriptor(descriptor, &haveDevice);
}

Status SensorSession::readRegister(int reg, std::uint8_t& value) {
  std::uint8_t byte = 0;
  Status s = vendorRequest(ControlRequest::read(kReadRegister, static_cast<std::uint16_t>(reg), 0, 1), &byte);
  if (s.ok()) value = byte;
  return s;
}

Status SensorSession::writeRegister(int reg, int value) {
  return vendorRequest(
      ControlRequest::send(kWriteRegister, static_cast<std::uint16_t>(reg), static_cast<std::uint8_t>(value)), nullptr);
}

Status SensorSession::readDeviceValue(std::uint8_t request, std::uint8_t& value) {
  std::uint8_t byte = 0;
  Status s = vendorRequest(ControlRequest::read(request, 1, 0, 1), &byte);
  if (s.ok()) value = byte;
  return s;
}

}  // namespace ridgeport
