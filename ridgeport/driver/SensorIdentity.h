#pragma once

// Identities of the maker's fingerprint sensors and the product codes of their
// driver packages: the configuration values that the sensor library (device
// search, identity check), the program (driver and sensor presence) and the
// simulated sensor's set-up compare against. One place, so that a new sensor
// model or driver package is added here and nowhere else.
//
// Header only and free of dependencies: the program includes it without linking
// the sensor library.

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

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

// Installer product codes of the sensor driver packages. A driver's set-up
// records its uninstall entry under kUninstallKey followed by the code in the
// machine store; the program counts the driver as installed when any one of
// them is there. The simulated sensor's set-up registers the first one.
inline constexpr std::array<std::string_view, 3> kDriverProductCodes{
    "{8F3C2A61-5B7E-4D19-A0C4-2E5A03010001}",  // current driver package
    "{8F3C2A61-5B7E-4D19-A0C4-2E5A03010000}",  // first release
    "{4B1D9E07-C3A2-4F58-B6E1-2E5A03020001}",  // package of the second sensor model
};

inline constexpr std::string_view kUninstallKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

}  // namespace ridgeport::driver
