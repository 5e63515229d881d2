#include "lockmere/bio/SensorPresence.h"

#include <string>

#include "platform/Registry.h"
#include "ridgeport/driver/DeviceBackend.h"
#include "ridgeport/driver/SensorIdentity.h"

namespace bio {

using namespace ridgeport::driver;

bool SensorPresence::isInstalledDriver(std::string_view productCode) {
  if (productCode.empty() || productCode.find('\\') != std::string_view::npos) return false;
  // Read only: asking never creates the machine store.
  platform::Registry machine(platform::Registry::LocalMachine, platform::Registry::OpenMode::ReadOnly);
  return machine.keyExists(std::string(kUninstallKey) + std::string(productCode));
}

bool SensorPresence::isAnyDriverInstalled() {
  for (std::string_view code : kDriverProductCodes)
    if (isInstalledDriver(code)) return true;
  return false;
}

bool SensorPresence::isConnectedSensor() {
  const std::string prefixA = deviceInstancePrefix(SensorIdentityA);
  const std::string prefixB = deviceInstancePrefix(SensorIdentityB);
  for (const DeviceInstance& device : listDeviceInstances()) {
    std::string head = device.deviceInstance.substr(0, kDeviceInstancePrefixLength);
    for (char& c : head)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    // An entry of a sensor that is not linked (gone) does not count; later entries still may.
    if ((head == prefixA || head == prefixB) && device.linked != 0) return true;
  }
  return false;
}

}  // namespace bio
