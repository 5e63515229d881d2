#pragma once

#include "lockmere/bio/NimbraThread.h"

namespace bio {

// Waits in the background for a sensor to be plugged in: every 100 ms, when a
// sensor is listed, opens it; once an open succeeds it posts 0x482 to its
// window and ends, leaving the sensor open. A failed open is closed again and
// tried at the next round.
class TCheckConnectNimbra : public TNimbraThread {
 public:
  static constexpr std::chrono::milliseconds kPollInterval{100};

  TCheckConnectNimbra(platform::WindowHandle window, std::shared_ptr<const NimbraExports> sdk);

 protected:
  void Execute() override;
};

}  // namespace bio
