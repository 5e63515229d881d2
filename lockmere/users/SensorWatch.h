#pragma once

#include <array>
#include <functional>

#include "lockmere/bio/NimbraUtil.h"
#include "lockmere/store/TemplateRecords.h"
#include "platform/WindowMessages.h"

namespace users {

// The rules by which a fingerprint window reacts to its utility: a plugged-in
// sensor posts 0x402 (start a verification) to the window, a match inside the
// searched records posts 0x403 with the record's index, a sensor that goes
// away during verification is waited for again, and a failed comparison keeps
// the verification running. The window owns the utility (and its binding);
// this only holds on to it.
class SensorWatch {
 public:
  static constexpr int kRecordSize = static_cast<int>(store::TemplateRecords::kRecordSize);
  static constexpr int kHeaderSize = static_cast<int>(store::TemplateRecords::kTemplateOffset);
  static constexpr int kSensorGoneArgument = 13;  // first argument of the verify-error callback

  // A window's own binding with the libraries loaded at once. When they
  // cannot be loaded the binding stays unloaded and the window offers no
  // fingerprint (driverInstalled() is false), instead of failing to open.
  static bio::TNimbraMSDK* createBinding(QObject* owner);

  // util may be null: no fingerprint.
  SensorWatch(bio::TNimbraUtil* util, platform::WindowHandle window);

  // The sensor's driver is installed (any of its three product codes) and the
  // libraries are loaded.
  bool driverInstalled() const;
  bool sensorConnected() const;

  // Registers the connected-sensor callback: 0x402 once a sensor is plugged in.
  bool waitForSensor();

  // Starts a verification over the records. They are copied by the
  // verification thread; a match index below their count posts 0x403.
  bool verify(const store::TemplateRecords& records);
  void stop();
  bool isVerifying() const;

  // Optional reactions of the window, on the main thread.
  std::function<void()> onNoMatch;     // a completed comparison without a match
  std::function<void()> onSensorGone;  // the sensor went away; it is being waited for

 private:
  bio::TNimbraUtil* util_;
  platform::WindowHandle window_;
  std::array<unsigned char, RIDGECORE_PREVIEW_SIZE> preview_{};
};

}  // namespace users
