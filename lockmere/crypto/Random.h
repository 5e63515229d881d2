#pragma once

#include <cstddef>

namespace crypto {

// Fills out with bytes from the operating system's generator (getrandom).
// False only when the kernel cannot deliver (then out is zeroed).
bool randomBytes(unsigned char* out, std::size_t n);

}  // namespace crypto
