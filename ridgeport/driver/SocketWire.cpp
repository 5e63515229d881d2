#include "ridgeport/driver/SocketWire.h"

namespace ridgeport::driver::wire {
namespace {

void put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t get32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

std::array<std::uint8_t, kRequestHeaderSize> encode(const RequestHeader& h) {
  std::array<std::uint8_t, kRequestHeaderSize> b{};
  put32(&b[0], h.op);
  put32(&b[4], h.inLength);
  put32(&b[8], h.outLength);
  return b;
}

std::array<std::uint8_t, kReplyHeaderSize> encode(const ReplyHeader& h) {
  std::array<std::uint8_t, kReplyHeaderSize> b{};
  put32(&b[0], h.status);
  put32(&b[4], h.length);
  return b;
}

RequestHeader decodeRequestHeader(const std::uint8_t* b) { return {get32(b), get32(b + 4), get32(b + 8)}; }

ReplyHeader decodeReplyHeader(const std::uint8_t* b) { return {get32(b), get32(b + 4)}; }

std::string socketPath(const std::string& deviceDir, int number) {
  return deviceDir + "/VERAUSB" + std::to_string(number);
}

std::string instanceFilePath(const std::string& deviceDir, int number) {
  return socketPath(deviceDir, number) + ".instance";
}

}  // namespace ridgeport::driver::wire
