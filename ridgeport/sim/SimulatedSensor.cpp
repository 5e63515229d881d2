#include "ridgeport/sim/SimulatedSensor.h"

#include <algorithm>
#include <cstdio>

#include "ridgeport/sim/RecordedRequest.h"

namespace ridgeport::sim {

using driver::ControlRequest;

namespace {

// The stored device values and the request codes that read them.
constexpr std::uint8_t kValueRequests[] = {0x44, 0x46, 0x47, 0x48};

constexpr int kFrameWidth = 384, kFrameHeight = 300;

}  // namespace

std::string RecordedRequest::toString() const {
  char text[96];
  switch (kind) {
    case Kind::Open:
      return failed ? "open (refused)" : "open";
    case Kind::Close:
      return "close";
    case Kind::Descriptor:
      return failed ? "descriptor (failed)" : "descriptor";
    case Kind::Read:
      std::snprintf(text, sizeof text, "read %zu%s", size, failed ? " (failed)" : "");
      return text;
    case Kind::Vendor:
      std::snprintf(text, sizeof text, "vendor type=0x%02X request=0x%02X value=%u index=%u length=%u%s", control.type,
                    control.request, control.value, control.index, control.length, failed ? " (failed)" : "");
      return text;
  }
  return "";
}

SimulatedSensor::SimulatedSensor(DeviceConfig config) : config_(std::move(config)) { reset(); }

void SimulatedSensor::reset() {
  registers_.fill(0);
  for (auto [reg, value] : config_.registers) registers_[reg & 0xFF] = value;
  frameStarted_ = false;
}

bool SimulatedSensor::descriptor(driver::DeviceDescriptor& d) {
  if (failDescriptor_ > 0) {
    --failDescriptor_;
    return false;
  }
  d = {18, 1, 0x00, 0x02, 0xFF, 0x00, 0x00, 64};  // USB 2.0, vendor-specific class
  d[8] = static_cast<std::uint8_t>(config_.identity.vendorId);
  d[9] = static_cast<std::uint8_t>(config_.identity.vendorId >> 8);
  d[10] = static_cast<std::uint8_t>(config_.identity.productId);
  d[11] = static_cast<std::uint8_t>(config_.identity.productId >> 8);
  d[12] = config_.revision;
  d[13] = config_.releaseMajor;
  d[14] = 1;  // manufacturer, product, serial number strings
  d[15] = 2;
  d[16] = 3;
  d[17] = 1;  // one configuration
  return true;
}

bool SimulatedSensor::vendorRequest(const ControlRequest& request, std::vector<std::uint8_t>& data) {
  if (failControl_ > 0 && (failControlCode_ < 0 || failControlCode_ == request.request)) {
    --failControl_;
    return false;
  }
  if (request.readsFromDevice()) data.assign(request.length, 0);
  return answer(request, data);
}

bool SimulatedSensor::answer(const ControlRequest& r, std::vector<std::uint8_t>& data) {
  const bool reads = r.readsFromDevice();
  if (r.type != ControlRequest::kHostToDevice && r.type != ControlRequest::kDeviceToHost) return false;
  if (r.request == kReadRegister) {
    if (!reads || r.length != 1 || r.value > 0xFF) return false;
    data[0] = registers_[r.value];
    return true;
  }
  if (r.request == kWriteRegister) {
    if (reads || r.length != 0 || r.value > 0xFF || r.index > 0xFF) return false;
    registers_[r.value] = static_cast<std::uint8_t>(r.index);
    return true;
  }
  if (r.request == kStartFrame) {
    if (reads || r.value != kFrameWidth || r.index != kFrameHeight) return false;
    frameStarted_ = true;
    return true;
  }
  const std::uint8_t values[] = {config_.value44, config_.value46, config_.value47, config_.value48};
  for (int i = 0; i < 4; ++i) {
    if (r.request != kValueRequests[i]) continue;
    if (!reads || r.length != 1 || r.value != 1 || r.index != 0) return false;
    data[0] = values[i];
    return true;
  }
  return false;  // unknown request: stall
}

std::vector<std::uint8_t> SimulatedSensor::blankFrame() {
  // A dim, noisy frame: what the optics see with nothing on the glass.
  std::vector<std::uint8_t> frame(driver::kFrameSize);
  for (auto& p : frame) {
    noise_ ^= noise_ << 13;
    noise_ ^= noise_ >> 17;
    noise_ ^= noise_ << 5;
    p = static_cast<std::uint8_t>(6 + noise_ % 13);
  }
  return frame;
}

bool SimulatedSensor::read(std::size_t wanted, std::vector<std::uint8_t>& out) {
  if (!frameStarted_) return false;
  frameStarted_ = false;
  out = fingerFrame_.empty() ? blankFrame() : fingerFrame_;
  std::size_t size = std::min(wanted, out.size());
  if (shortFrames_ > 0) {
    --shortFrames_;
    size = std::min(size, shortFrameBytes_);
  }
  out.resize(size);
  return true;
}

void SimulatedSensor::setFingerFrame(std::vector<std::uint8_t> frame) { fingerFrame_ = std::move(frame); }

void SimulatedSensor::liftFinger() { fingerFrame_.clear(); }

void SimulatedSensor::failControlRequests(int count, int requestCode) {
  failControl_ = count;
  failControlCode_ = requestCode;
}

void SimulatedSensor::failDescriptorRequests(int count) { failDescriptor_ = count; }

void SimulatedSensor::shortenFrames(int count, std::size_t bytes) {
  shortFrames_ = count;
  shortFrameBytes_ = bytes;
}

}  // namespace ridgeport::sim
