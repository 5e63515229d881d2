#include "ridgeport/sim/DriverInstallation.h"

#include "platform/Registry.h"
#include "platform/RegistryTransaction.h"
#include "ridgeport/driver/SensorIdentity.h"

namespace ridgeport::sim {
namespace {

bool failed(const std::string& text, std::string* error) {
  if (error) *error = text;
  return false;
}

}  // namespace

std::string DriverInstallation::keyPath() {
  return std::string(driver::kUninstallKey) + std::string(driver::kDriverProductCodes.front());
}

bool DriverInstallation::install(std::string* error) {
  platform::Registry machine(platform::Registry::LocalMachine);
  if (!machine.isOpen()) return failed(machine.errorString(), error);
  platform::RegistryTransaction tx(machine);
  auto key = machine.createKey(keyPath());
  if (!key) return failed(key.errorString(), error);
  for (auto r :
       {key.value().writeString("DisplayName", "Nimbra Device Driver"),
        key.value().writeString("Publisher", "Veradynics"), key.value().writeString("DisplayVersion", "2.2.1.0")})
    if (!r) return failed(r.errorString(), error);
  if (auto r = tx.commit(); !r) return failed(r.errorString(), error);
  return true;
}

bool DriverInstallation::uninstall(std::string* error) {
  platform::Registry machine(platform::Registry::LocalMachine);
  if (!machine.isOpen()) return failed(machine.errorString(), error);
  auto r = machine.deleteKey(keyPath());
  if (!r && !r.isNotFound()) return failed(r.errorString(), error);
  return true;
}

bool DriverInstallation::isInstalled() {
  platform::Registry machine(platform::Registry::LocalMachine, platform::Registry::OpenMode::ReadOnly);
  return machine.keyExists(keyPath());
}

}  // namespace ridgeport::sim
