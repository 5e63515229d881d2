#pragma once

#include "ridgeport/FrameCapture.h"
#include "ridgeport/SensorSession.h"

namespace ridgeport {

// VD_OpenSensor: finds the first device object 0..14 with an accepted identity,
// reads the sensor's registers once and programs them for its revision. With a
// handle already open it only re-checks the device's identity.
class SensorOpener {
 public:
  SensorOpener(SensorSession& session, FrameCapture& capture) : session_(session), capture_(capture) {}

  Status open();

 private:
  Status findDevice();

  SensorSession& session_;
  FrameCapture& capture_;
};

}  // namespace ridgeport
