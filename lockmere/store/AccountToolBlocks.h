#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lockmere/crypto/SecureBytes.h"

// What the program hands its account tools: the tool token (proof that the
// caller is this program, carrying the program key) and the modification
// block (the current user's data key, ID and template array for the password
// and fingerprint change tools).
namespace store::tools {

inline constexpr std::size_t kTokenSize = 128;
inline constexpr std::size_t kTokenMessageSize = 118;

// A fresh token: RSA (the fixed public key) of the 54-character marker, 4
// random bytes, the program key, 4 random bytes, padded as a PKCS #1 v1.5
// type-2 block with seven non-zero random filler bytes.
std::vector<unsigned char> makeToolToken(const crypto::SecureBytes& programKey);

inline constexpr std::size_t kModificationSize = 128;
using ModificationBlock = std::array<unsigned char, kModificationSize>;

// The modification block: the marker at bytes 0-3, random bytes 4-111 with
// the data key at 9-64 and the user ID and a NUL from byte 69, the address of
// the records array little-endian from byte 121, zeros elsewhere; encrypted
// under the program key with the modification IV. The original's 4-byte
// address field is kept where it was; on a 64-bit system the higher bytes of
// the address go into bytes 125-127, which were zero (user-space addresses fit
// in 56 bits). Nullopt for a user ID of no code-page form or longer than 50
// bytes, or a data key that is not 56 bytes.
std::optional<ModificationBlock> makeModificationBlock(const crypto::SecureBytes& dataKey, std::string_view userId,
                                                       const void* records, const crypto::SecureBytes& programKey);

struct Modification {
  crypto::SecureBytes dataKey;
  std::string userId;  // UTF-8
  std::uintptr_t records = 0;
};

// The tools' side: nullopt when the marker does not match.
std::optional<Modification> readModificationBlock(const unsigned char* data, std::size_t size,
                                                  const crypto::SecureBytes& programKey);

}  // namespace store::tools
