#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "ridgeport/driver/SensorIdentity.h"

namespace ridgeport::sim {

// How one simulated device object looks and starts.
struct DeviceConfig {
  int number = 0;  // VERAUSB<number>, 0..14
  driver::SensorIdentity identity = driver::SensorIdentityA;
  std::uint8_t revision = 0x21;      // low byte of bcdDevice
  std::uint8_t releaseMajor = 0x01;  // high byte of bcdDevice
  // The four stored device values that the register program reads.
  std::uint8_t value44 = 6;
  std::uint8_t value46 = 0x2C;
  std::uint8_t value47 = 12;
  std::uint8_t value48 = 0x40;
  // Register values at power-on (and after a reset); unnamed registers start at 0.
  std::map<int, std::uint8_t> registers;
  // Finger images laid on this device are in paper polarity (dark ridges, as in
  // scanned prints) and are inverted to the sensor's polarity.
  bool invertFinger = false;
  // Last part of the device-instance text; empty: "SIM<number>".
  std::string serial;

  std::string deviceInstance() const;  // "USB\VID_2E5A&PID_0301\SIM0"

  // "N[,key=value]...", keys: identity (A, B or VVVV:PPPP in hexadecimal),
  // revision, release, dv44, dv46, dv47, dv48, r<register> (r0x32=64), invert
  // (0/1), serial. Numbers in decimal or 0x hexadecimal.
  static bool parse(const std::string& text, DeviceConfig& config, std::string* error);
  std::string toString() const;

 private:
  static const std::map<std::string, std::uint8_t DeviceConfig::*> kByteSettings;
};

}  // namespace ridgeport::sim
