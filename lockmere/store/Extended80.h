#pragma once

#include <array>

// The 10-byte x87 extended-precision format (little-endian: 64-bit mantissa
// with an explicit integer bit, then sign and 15-bit exponent), converted by
// bit arithmetic so that nothing depends on what long double is here.
namespace store::extended80 {

using Bytes = std::array<unsigned char, 10>;

// Exact: every double has an extended form.
Bytes fromDouble(double value);

// Exact for every value that came from a double; others are rounded to the
// nearest double (overflow gives infinity). Pseudo-denormals and unnormals
// read as the number their bits spell.
double toDouble(const Bytes& bytes);

}  // namespace store::extended80
