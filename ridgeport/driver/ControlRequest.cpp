#include "ridgeport/driver/ControlRequest.h"

namespace ridgeport::driver {

std::array<std::uint8_t, ControlRequest::kRecordSize> ControlRequest::encode() const {
  std::array<std::uint8_t, kRecordSize> r{};
  r[0] = type;
  r[1] = request;
  r[2] = static_cast<std::uint8_t>(value);
  r[3] = static_cast<std::uint8_t>(value >> 8);
  r[4] = static_cast<std::uint8_t>(index);
  r[5] = static_cast<std::uint8_t>(index >> 8);
  r[6] = static_cast<std::uint8_t>(length);
  r[7] = static_cast<std::uint8_t>(length >> 8);
  return r;  // bytes 8..11: data address, see the header
}

ControlRequest ControlRequest::decode(const std::uint8_t* r) {
  auto word = [r](int at) { return static_cast<std::uint16_t>(r[at] | (r[at + 1] << 8)); };
  return {r[0], r[1], word(2), word(4), word(6)};
}

}  // namespace ridgeport::driver
