#pragma once

#include <string.h>

#include <vector>

namespace bio {

// Overwrites a buffer of templates or finger images before it is freed (an
// empty one has no storage to hand to explicit_bzero).
inline void wipe(std::vector<unsigned char>& bytes) {
  if (!bytes.empty()) explicit_bzero(bytes.data(), bytes.size());
}

}  // namespace bio
