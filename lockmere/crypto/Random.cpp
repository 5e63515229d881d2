#include "lockmere/crypto/Random.h"

#include <openssl/rand.h>
#include <cstring>

namespace crypto {

bool randomBytes(unsigned char* out, std::size_t n) {
  // OpenSSL's generator is seeded from the kernel (getrandom); it never falls
  // back to guessable sources such as clocks.
  while (n > 0) {
    int chunk = n > 1u << 30 ? 1 << 30 : static_cast<int>(n);
    if (RAND_bytes(out, chunk) != 1) {
      std::memset(out, 0, n);
      return false;
    }
    out += chunk;
    n -= static_cast<std::size_t>(chunk);
  }
  return true;
}

}  // namespace crypto
