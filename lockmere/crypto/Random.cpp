#include "lockmere/crypto/Random.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>

namespace crypto {

bool randomBytes(unsigned char* out, std::size_t n) {
  // Straight from the kernel: no pool of our own that clocks could seed, and
  // nothing to reseed after a fork. getrandom blocks only until the kernel's
  // pool is first initialised at boot.
  std::size_t done = 0;
  while (done < n) {
    const ssize_t got = ::getrandom(out + done, n - done, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      std::memset(out, 0, n);
      return false;
    }
    done += static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace crypto
