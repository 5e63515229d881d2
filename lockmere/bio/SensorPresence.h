#pragma once

#include <string_view>

namespace bio {

// Whether the sensor's driver is installed and a sensor is plugged in. Safe to
// call from any thread (the polling thread asks every 100 ms).
class SensorPresence {
 public:
  // The driver package with this installer product code has its uninstall
  // entry in the machine store. An empty code, or one that would name another
  // key (a backslash in it), is never installed.
  static bool isInstalledDriver(std::string_view productCode);
  // Any of the driver packages of driver::kDriverProductCodes, tried in order.
  static bool isAnyDriverInstalled();

  // A USB device whose device-instance text starts (upper-cased, first 21
  // characters) with the prefix of one of the two accepted sensor identities is
  // listed and linked.
  static bool isConnectedSensor();
};

}  // namespace bio
