#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lockmere/crypto/SecureBytes.h"

// What the program hands its account tools: the tool token (proof that the
// caller is this program, carrying the program key) and the modification
// block (the current user's data key and ID for the password and fingerprint
// change tools).
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
// the data key at 9-64 and the user ID and a NUL from byte 69, zeros
// elsewhere; encrypted under the program key with the modification IV.
// Bytes 121-124 once carried the address of the program's record array, which
// four bytes cannot hold in a 64-bit process; they are 0, and the tools read
// the user's records from the data file. Nullopt for a user ID of no
// code-page form or longer than 50 bytes, or a data key that is not 56 bytes.
std::optional<ModificationBlock> makeModificationBlock(const crypto::SecureBytes& dataKey, std::string_view userId,
                                                       const crypto::SecureBytes& programKey);

struct Modification {
  crypto::SecureBytes dataKey;
  std::string userId;  // UTF-8
};

// The tools' side: nullopt when the block is not one: the marker does not
// match, the ID has no NUL within 50 bytes or is not code-page text, or a byte
// that must be 0 is not (the zeros after the ID's NUL from byte 112 on, and
// bytes 125-127), which catches damage to the last two blocks. Bytes 121-124
// are not read. Whether the data key belongs to the user is for the caller to
// check against the data file.
std::optional<Modification> readModificationBlock(const unsigned char* data, std::size_t size,
                                                  const crypto::SecureBytes& programKey);

}  // namespace store::tools
