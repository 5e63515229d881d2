#pragma once

// Identities of the maker's fingerprint sensors: the configuration values that
// both the sensor library (device search, identity check) and the program
// (sensor presence) compare against. One place, so that a new sensor model is
// added here and nowhere else.
//
// Header only and free of dependencies: the program includes it without linking
// the sensor library.

#include <cstdint>
#include <cstdio>
#include <string>

namespace ridgeport::driver {

struct SensorIdentity {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;

  friend constexpr bool operator==(const SensorIdentity&, const SensorIdentity&) = default;
};

// The two sensor models the system accepts (USB vendor and product IDs).
inline constexpr SensorIdentity SensorIdentityA{0x2E5A, 0x0301};
inline constexpr SensorIdentity SensorIdentityB{0x2E5A, 0x0302};

inline constexpr bool isAcceptedSensor(const SensorIdentity& id) {
  return id == SensorIdentityA || id == SensorIdentityB;
}

// Length of the device-instance prefix "USB\VID_xxxx&PID_xxxx".
inline constexpr std::size_t kDeviceInstancePrefixLength = 21;

// "USB\VID_2E5A&PID_0301": the start of the device-instance text of every USB
// device with this identity (hexadecimal digits in upper case).
inline std::string deviceInstancePrefix(const SensorIdentity& id) {
  char text[32];
  std::snprintf(text, sizeof text, "USB\\VID_%04X&PID_%04X", static_cast<unsigned>(id.vendorId),
                static_cast<unsigned>(id.productId));
  return text;
}

}  // namespace ridgeport::driver
