#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "ridgeport/driver/ControlRequest.h"
#include "ridgeport/sim/DeviceConfig.h"

namespace ridgeport::sim {

// The behaviour of one simulated sensor: its descriptor, registers and stored
// values, the frame it delivers after a start-frame request, and the faults it
// has been asked to show. Not thread-safe; SensorSimulator guards it.
class SimulatedSensor {
 public:
  static constexpr std::uint8_t kReadRegister = 0x4F;
  static constexpr std::uint8_t kWriteRegister = 0x50;
  static constexpr std::uint8_t kStartFrame = 0x51;

  explicit SimulatedSensor(DeviceConfig config);

  const DeviceConfig& config() const { return config_; }

  // False: the request fails (a fault was asked for).
  bool descriptor(driver::DeviceDescriptor& out);

  // data: the data stage; sent bytes in, received bytes out (resized to the
  // request's length). False: the device stalls the request.
  bool vendorRequest(const driver::ControlRequest& request, std::vector<std::uint8_t>& data);

  // The frame started by the last start-frame request, at most wanted bytes.
  // False when no frame was started.
  bool read(std::size_t wanted, std::vector<std::uint8_t>& out);

  // A raw frame to deliver while the finger lies on the sensor.
  void setFingerFrame(std::vector<std::uint8_t> frame);
  void liftFinger();
  bool fingerPresent() const { return !fingerFrame_.empty(); }

  // Power-on state again: every register back to its start value.
  void reset();

  // The next count vendor requests (only those with this request code when
  // requestCode >= 0) fail; the next count descriptor requests fail; the next
  // count frames are cut to bytes.
  void failControlRequests(int count, int requestCode);
  void failDescriptorRequests(int count);
  void shortenFrames(int count, std::size_t bytes);

  std::uint8_t registerValue(int reg) const { return registers_[reg & 0xFF]; }

 private:
  bool answer(const driver::ControlRequest& request, std::vector<std::uint8_t>& data);
  std::vector<std::uint8_t> blankFrame();

  DeviceConfig config_;
  std::array<std::uint8_t, 256> registers_{};
  std::vector<std::uint8_t> fingerFrame_;
  bool frameStarted_ = false;
  std::uint32_t noise_ = 0x9E3779B9u;
  int failControl_ = 0;
  int failControlCode_ = -1;
  int failDescriptor_ = 0;
  int shortFrames_ = 0;
  std::size_t shortFrameBytes_ = 0;
};

}  // namespace ridgeport::sim
