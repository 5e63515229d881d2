#pragma once

#include <cstddef>
#include <string>

#include "ridgeport/driver/ControlRequest.h"

namespace ridgeport::sim {

// One request that reached a simulated device, as the device saw it.
struct RecordedRequest {
  enum class Kind { Open, Close, Descriptor, Vendor, Read };

  Kind kind = Kind::Open;
  driver::ControlRequest control{};  // Kind::Vendor
  std::size_t size = 0;              // Kind::Read: bytes asked for
  bool failed = false;               // the device refused or failed it

  bool isVendor(std::uint8_t request) const { return kind == Kind::Vendor && control.request == request; }
  std::string toString() const;
};

}  // namespace ridgeport::sim
