#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "lockmere/crypto/SecureBytes.h"

// The automatic-login block ("ALData", 112 bytes): "Cf", the user ID with a
// NUL from byte 2, the data key at bytes 55-110, random bytes elsewhere;
// masked, then encrypted under the program key with the auto-login IV.
namespace store::autologin {

inline constexpr std::size_t kSize = 112;
using Block = std::array<unsigned char, kSize>;

struct Login {
  std::string userId;  // UTF-8
  crypto::SecureBytes dataKey;
};

// Nullopt for a user ID of no code-page form or longer than 50 bytes, or a
// data key that is not 56 bytes.
std::optional<Block> make(std::string_view userId, const crypto::SecureBytes& dataKey,
                          const crypto::SecureBytes& programKey);

// Nullopt unless the block is 112 bytes and starts with "Cf" once decrypted.
// The ID runs from byte 2 to the first NUL, at most 50 bytes. The data key is
// not verified here.
std::optional<Login> read(const unsigned char* data, std::size_t size, const crypto::SecureBytes& programKey);

}  // namespace store::autologin
