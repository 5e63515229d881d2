#include "lockmere/bio/CheckConnectNimbra.h"

#include "lockmere/bio/SensorPresence.h"
#include "platform/WindowMessages.h"

namespace bio {

TCheckConnectNimbra::TCheckConnectNimbra(platform::WindowHandle window, std::shared_ptr<const NimbraExports> sdk)
    : TNimbraThread(window, std::move(sdk)) {}

void TCheckConnectNimbra::Execute() {
  char message[kMessageSize] = {};
  int error = 0;
  while (!Terminated()) {
    if (SensorPresence::isConnectedSensor()) {
      if (Sdk().VD_OpenSensor(message, &error) > 0 && error == 0) {
        if (!Terminated()) Post(platform::msg::kSensorConnected);
        return;
      }
      Sdk().VD_CloseSensor(message, &error);
    }
    if (!Pause(kPollInterval)) return;
  }
}

}  // namespace bio
