#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace ridgeport::driver {

// I/O control codes of the sensor's kernel driver.
inline constexpr std::uint32_t kIoctlGetDescriptor = 0x80002000;
inline constexpr std::uint32_t kIoctlVendorRequest = 0x80002018;

inline constexpr std::size_t kDescriptorSize = 18;  // standard USB device descriptor
inline constexpr std::size_t kFrameSize = 384 * 300;

using DeviceDescriptor = std::array<std::uint8_t, kDescriptorSize>;

// Vendor ID, product ID and release number (bcdDevice) of a device descriptor.
inline std::uint16_t descriptorWord(const DeviceDescriptor& d, std::size_t offset) {
  return static_cast<std::uint16_t>(d[offset] | (d[offset + 1] << 8));
}
inline constexpr std::size_t kDescriptorVendorOffset = 8;
inline constexpr std::size_t kDescriptorProductOffset = 10;
inline constexpr std::size_t kDescriptorReleaseOffset = 12;

// One vendor control request: the 12-byte input record of kIoctlVendorRequest.
struct ControlRequest {
  static constexpr std::uint8_t kHostToDevice = 0x40;
  static constexpr std::uint8_t kDeviceToHost = 0xC0;
  static constexpr std::size_t kRecordSize = 12;

  std::uint8_t type = kHostToDevice;
  std::uint8_t request = 0;
  std::uint16_t value = 0;
  std::uint16_t index = 0;
  std::uint16_t length = 0;  // bytes of the data stage

  bool readsFromDevice() const { return (type & 0x80) != 0; }

  static ControlRequest send(std::uint8_t request, std::uint16_t value, std::uint16_t index) {
    return {kHostToDevice, request, value, index, 0};
  }
  static ControlRequest read(std::uint8_t request, std::uint16_t value, std::uint16_t index, std::uint16_t length) {
    return {kDeviceToHost, request, value, index, length};
  }

  // Little-endian record. The last field is the address of the data stage in
  // the caller's memory; a 64-bit process cannot express it in 32 bits, so the
  // transports carry the data stage beside the record and write 0 here.
  std::array<std::uint8_t, kRecordSize> encode() const;
  static ControlRequest decode(const std::uint8_t* record);

  friend bool operator==(const ControlRequest&, const ControlRequest&) = default;
};

}  // namespace ridgeport::driver
