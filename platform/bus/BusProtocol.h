#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The line protocol of the message bridge, one request and one reply per line:
//   "send MSG WPARAM LPARAM\n" or "post MSG WPARAM LPARAM\n"  (decimal numbers)
//   "ok RESULT\n" or "error TEXT\n"
// Plain text, so that the bridge can be tried by hand (socat - UNIX-CONNECT:PATH).
namespace platform::bus {

constexpr std::size_t kMaxLineLength = 256;

struct Request {
  bool post = false;
  std::uint32_t message = 0;
  std::int64_t wParam = 0;
  std::int64_t lParam = 0;
};

struct Reply {
  bool ok = false;
  std::int64_t result = 0;
  std::string error;
};

// A number as the tools take it: decimal or 0x hexadecimal, with an optional sign.
// Values up to 2^64 - 1 are taken as the unsigned 64-bit pattern (a handle or a
// WPARAM), so 0xFFFFFFFFFFFFFFFF is -1. Nothing else is accepted: no blanks, no
// trailing letters, no overflow.
std::optional<std::int64_t> parseNumber(std::string_view text);
// A message number: 0 .. 0xFFFFFFFF.
std::optional<std::uint32_t> parseMessageNumber(std::string_view text);

// Without the line end; nullopt with *error for a malformed line.
std::optional<Request> parseRequest(std::string_view line, std::string* error);
std::string formatRequest(const Request& request);

std::optional<Reply> parseReply(std::string_view line);
std::string formatReply(const Reply& reply);

}  // namespace platform::bus
