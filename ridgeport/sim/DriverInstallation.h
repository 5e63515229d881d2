#pragma once

#include <string>

namespace ridgeport::sim {

// What the sensor driver's installer leaves in the machine store: the uninstall
// entry of its package under the first of driver::kDriverProductCodes, by which
// the program tells that the driver is installed. The simulated sensor is set up
// the same way, so the program treats it as a sensor with its driver.
class DriverInstallation {
 public:
  // The entry's key path in the machine store.
  static std::string keyPath();

  // Writes the entry (display name, publisher, version) into the machine store
  // of this process (platform::paths::machineDir()). Idempotent. False with a
  // text naming the file when the store cannot be written.
  static bool install(std::string* error = nullptr);
  // Removes the entry again; an absent entry is fine.
  static bool uninstall(std::string* error = nullptr);
  static bool isInstalled();
};

}  // namespace ridgeport::sim
