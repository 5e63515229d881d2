#pragma once

// The wire between the library's socket backend and the simulated sensor: one
// Unix stream socket per device object, VERAUSB<n> in the device folder, and a
// text file VERAUSB<n>.instance beside it with the device-instance text.
//
// Every request is a 12-byte header (op, input length, output length: u32
// little-endian) followed by the input bytes; every reply is an 8-byte header
// (status, length) followed by the output bytes. A connection must send kOpen
// first; the device accepts one open connection at a time. Socket I/O goes
// through platform/UnixSocket.h: every step has a deadline and both ends check
// that the other runs as the same user.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "ridgeport/driver/ControlRequest.h"

namespace ridgeport::driver::wire {

enum Op : std::uint32_t {
  kOpen = 1,
  kClose = 2,
  kRead = 3,  // output length = bytes wanted
  kGetDescriptor = kIoctlGetDescriptor,
  kVendorRequest = kIoctlVendorRequest,  // input = 12-byte record + data stage of a send
};

enum Status : std::uint32_t {
  kOk = 0,
  kSharingViolation = 1,  // open: the device object is open elsewhere
  kDeviceError = 2,       // the device refused or failed the request
  kBadRequest = 3,
};

inline constexpr std::size_t kRequestHeaderSize = 12;
inline constexpr std::size_t kReplyHeaderSize = 8;
inline constexpr std::uint32_t kMaxPayload = 1u << 20;

struct RequestHeader {
  std::uint32_t op = 0;
  std::uint32_t inLength = 0;
  std::uint32_t outLength = 0;
};

struct ReplyHeader {
  std::uint32_t status = 0;
  std::uint32_t length = 0;
};

std::array<std::uint8_t, kRequestHeaderSize> encode(const RequestHeader& h);
std::array<std::uint8_t, kReplyHeaderSize> encode(const ReplyHeader& h);
RequestHeader decodeRequestHeader(const std::uint8_t* bytes);
ReplyHeader decodeReplyHeader(const std::uint8_t* bytes);

// The longest device-instance text an instance file may hold; the presence
// listing reads no more than this (and a line end) of one.
inline constexpr std::size_t kMaxInstanceText = 255;

std::string socketPath(const std::string& deviceDir, int number);
std::string instanceFilePath(const std::string& deviceDir, int number);

}  // namespace ridgeport::driver::wire
