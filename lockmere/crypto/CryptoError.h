#pragma once

#include <stdexcept>

namespace crypto {

// Raised by the primitives for misuse by the caller (a length that is not a
// whole number of blocks, a key of a size the cipher does not take) and when
// OpenSSL cannot deliver an algorithm at all.
class CryptoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The text callers show for a Blowfish length that is not a multiple of 8.
inline constexpr const char* kInvalidChunkSize = "Invalid chunk size";

}  // namespace crypto
