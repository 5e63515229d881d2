#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "lockmere/crypto/SecureBytes.h"

// The encrypted store at the end of the data file: block 0 is a fresh random
// IV in ECB, then the stream's full blocks in CBC with that IV, then a final
// block with the remaining bytes, zero-filled, its last byte the count of
// them. A stream of n bytes takes 8 + 8 * floor(n / 8) + 8 bytes.
namespace store::storecipher {

inline constexpr std::size_t kBlock = 8;

constexpr std::size_t encryptedSize(std::size_t streamSize) { return kBlock + kBlock * (streamSize / kBlock) + kBlock; }

// Raises crypto::CryptoError when the random generator fails.
std::vector<unsigned char> encrypt(const crypto::SecureBytes& stream, const crypto::SecureBytes& dataKey);

// False (and error set) for a store shorter than two blocks, one that is not
// whole blocks, or a count byte above 7.
bool decrypt(const unsigned char* data, std::size_t size, const crypto::SecureBytes& dataKey,
             crypto::SecureBytes& stream, std::string& error);

}  // namespace store::storecipher
