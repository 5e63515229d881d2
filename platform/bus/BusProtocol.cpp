#include "platform/bus/BusProtocol.h"

#include <limits>
#include <vector>

namespace platform::bus {
namespace {

std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    std::size_t start = i;
    while (i < line.size() && line[i] != ' ') ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

int digitValue(char c, int base) {
  int v = c >= '0' && c <= '9'   ? c - '0'
          : c >= 'a' && c <= 'f' ? c - 'a' + 10
          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                 : 99;
  return v < base ? v : -1;
}

}  // namespace

std::optional<std::int64_t> parseNumber(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t magnitude = 0;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  for (char c : text) {
    int d = digitValue(c, base);
    if (d < 0) return std::nullopt;
    if (magnitude > (kMax - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base)) return std::nullopt;
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
  }
  if (negative) {
    if (magnitude > std::uint64_t(1) << 63) return std::nullopt;
    return static_cast<std::int64_t>(~magnitude + 1);  // two's complement, defined for the minimum too
  }
  return static_cast<std::int64_t>(magnitude);
}

std::optional<std::uint32_t> parseMessageNumber(std::string_view text) {
  if (!text.empty() && text[0] == '-') return std::nullopt;
  auto n = parseNumber(text);
  if (!n || *n < 0 || *n > 0xFFFFFFFFLL) return std::nullopt;
  return static_cast<std::uint32_t>(*n);
}

std::optional<Request> parseRequest(std::string_view line, std::string* error) {
  auto fail = [&](const char* why) -> std::optional<Request> {
    if (error) *error = why;
    return std::nullopt;
  };
  auto w = words(line);
  if (w.size() != 4 || (w[0] != "send" && w[0] != "post")) return fail("expected: send|post MSG WPARAM LPARAM");
  Request r;
  r.post = w[0] == "post";
  auto message = parseMessageNumber(w[1]);
  if (!message) return fail("bad message number");
  auto wParam = parseNumber(w[2]);
  auto lParam = parseNumber(w[3]);
  if (!wParam || !lParam) return fail("bad parameter");
  r.message = *message;
  r.wParam = *wParam;
  r.lParam = *lParam;
  return r;
}

std::string formatRequest(const Request& request) {
  return std::string(request.post ? "post " : "send ") + std::to_string(request.message) + " " +
         std::to_string(request.wParam) + " " + std::to_string(request.lParam);
}

std::optional<Reply> parseReply(std::string_view line) {
  if (line.rfind("ok ", 0) == 0) {
    auto n = parseNumber(line.substr(3));
    if (!n) return std::nullopt;
    return Reply{true, *n, {}};
  }
  if (line.rfind("error ", 0) == 0) return Reply{false, 0, std::string(line.substr(6))};
  return std::nullopt;
}

std::string formatReply(const Reply& reply) {
  if (reply.ok) return "ok " + std::to_string(reply.result);
  std::string text = reply.error;
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';  // one line per reply
  return "error " + text;
}

}  // namespace platform::bus
