#include "lockmere/users/SensorWatch.h"

#include <QDebug>

#include "lockmere/bio/NimbraExports.h"
#include "platform/bus/MessageBus.h"

namespace users {

bio::TNimbraMSDK* SensorWatch::createBinding(QObject* owner) {
  auto* sdk = new bio::TNimbraMSDK(owner);
  try {
    sdk->LoadNimbraSDK();
  } catch (const bio::NimbraError& e) {
    qWarning() << "fingerprint login is not available:" << e.what();
  }
  return sdk;
}

SensorWatch::SensorWatch(bio::TNimbraUtil* util, platform::WindowHandle window) : util_(util), window_(window) {}

bool SensorWatch::driverInstalled() const {
  return util_ && util_->NimbraMSDK() && util_->NimbraMSDK()->bLoaded() && util_->IsInstalledDriver();
}

bool SensorWatch::sensorConnected() const { return util_ && util_->IsConnectedSensor(); }

bool SensorWatch::waitForSensor() {
  if (!util_) return false;
  const platform::WindowHandle window = window_;
  return util_->SetConnectedSensorEvent(
      [window] { platform::MessageBus::post(window, platform::msg::kLoginStartVerify); });
}

bool SensorWatch::verify(const store::TemplateRecords& records) {
  if (!util_) return false;
  const int count = static_cast<int>(records.count());
  const platform::WindowHandle window = window_;
  auto onVerified = [window, count](int index) {
    if (index >= 0 && index < count) platform::MessageBus::post(window, platform::msg::kLoginAccepted, index);
  };
  auto onError = [this](int a, int) {
    if (a == kSensorGoneArgument) {
      waitForSensor();
      if (onSensorGone) onSensorGone();
    } else if (a == bio::TNimbraUtil::kNoMatchArgument) {
      if (onNoMatch) onNoMatch();
    }
  };
  int error = 0;
  return util_->VerifyStart(records.data(), count, kRecordSize, kHeaderSize, preview_.data(), onVerified, onError,
                            &error);
}

void SensorWatch::stop() {
  if (util_) util_->VerifyStop();
}

bool SensorWatch::isVerifying() const { return util_ && util_->IsVerifying(); }

}  // namespace users
