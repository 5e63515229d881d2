#include "lockmere/store/Extended80.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace store::extended80 {
namespace {

constexpr int kExtendedBias = 16383;
constexpr int kDoubleBias = 1023;

}  // namespace

Bytes fromDouble(double value) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = bits >> 63;
  const int e = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t f = bits & ((std::uint64_t{1} << 52) - 1);
  std::uint64_t mantissa = 0;
  int exponent = 0;
  if (e == 0x7FF) {  // infinity or NaN
    exponent = 0x7FFF;
    mantissa = (std::uint64_t{1} << 63) | (f << 11);
  } else if (e == 0) {
    if (f != 0) {  // subnormal double: normal in the wider exponent range
      const int msb = 63 - std::countl_zero(f);
      mantissa = f << (63 - msb);
      exponent = msb - 1074 + kExtendedBias;
    }
  } else {
    mantissa = (std::uint64_t{1} << 63) | (f << 11);
    exponent = e - kDoubleBias + kExtendedBias;
  }
  Bytes out{};
  for (int i = 0; i < 8; ++i) out[static_cast<std::size_t>(i)] = static_cast<unsigned char>(mantissa >> (8 * i));
  const unsigned top = static_cast<unsigned>(exponent) | (negative ? 0x8000u : 0u);
  out[8] = static_cast<unsigned char>(top & 0xFF);
  out[9] = static_cast<unsigned char>(top >> 8);
  return out;
}

double toDouble(const Bytes& bytes) {
  std::uint64_t mantissa = 0;
  for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | bytes[static_cast<std::size_t>(i)];
  const unsigned top = bytes[8] | static_cast<unsigned>(bytes[9]) << 8;
  const bool negative = top & 0x8000;
  const int exponent = static_cast<int>(top & 0x7FFF);
  double value;
  if (exponent == 0x7FFF) {
    const bool infinity = (mantissa << 1) == 0;
    value = infinity ? HUGE_VAL : std::nan("");
  } else if (mantissa == 0) {
    value = 0.0;
  } else {
    // Keep the top 53 significant bits exactly and round the rest to nearest,
    // ties to even, before scaling; ldexp is then exact for normal results.
    const int lead = std::countl_zero(mantissa);
    std::uint64_t m = mantissa << lead;  // leading bit now at 63
    int scale = exponent - kExtendedBias - 63 - lead + (exponent == 0 ? 1 : 0);
    std::uint64_t kept = m >> 11;
    const std::uint64_t rest = m & 0x7FF;
    if (rest > 0x400 || (rest == 0x400 && (kept & 1))) ++kept;  // may carry to 2^53: still exact
    value = std::ldexp(static_cast<double>(kept), scale + 11);
  }
  return negative ? -value : value;
}

}  // namespace store::extended80
