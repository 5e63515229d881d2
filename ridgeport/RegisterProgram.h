#pragma once

#include <functional>

#include "ridgeport/SensorSession.h"

namespace ridgeport {

// The registers read once at every open, in this order (their values are not kept).
inline constexpr int kRegistersReadAtOpen[] = {0x00, 0x01, 0x02, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17,
                                               0x20, 0x21, 0x22, 0x23, 0x25, 0x26, 0x27, 0x28, 0x30, 0x31, 0x32,
                                               0x33, 0x34, 0x50, 0x51, 0x52, 0x57, 0x58, 0x59, 0x5A};

// Programs the sensor's registers for its revision (0x1E, 0x1F, 0x20, 0x21; any
// other gets the default program), reading the device's stored values where the
// program needs them. Stops at the first failed request and returns its status.
class RegisterProgram {
 public:
  // captureFrame: one frame captured and discarded (revision 0x20 needs it).
  RegisterProgram(SensorSession& session, std::function<Status()> captureFrame);

  Status run(int revision);

 private:
  void write(int reg, int value);
  int deviceValue(int request);

  SensorSession& session_;
  std::function<Status()> captureFrame_;
  Status status_;
};

}  // namespace ridgeport
