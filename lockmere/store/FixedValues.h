#pragma once

#include <cstddef>

#include "lockmere/crypto/Blowfish.h"
#include "lockmere/crypto/SecureBytes.h"

// The constants every installation shares with the account tools: the six IVs,
// the program key, the two markers and the public key of the tool token. They
// are chosen once, here; changing any of them makes existing data files,
// registry key blocks and tools unreadable to each other.
namespace store::fixed {

inline constexpr std::size_t kProgramKeySize = 56;
inline constexpr std::size_t kDataKeySize = 56;

extern const crypto::Blowfish::Iv kKey1Iv;
extern const crypto::Blowfish::Iv kKey2Iv;
extern const crypto::Blowfish::Iv kHeaderIv;
extern const crypto::Blowfish::Iv kTemplateIv;
extern const crypto::Blowfish::Iv kAutoLoginIv;
extern const crypto::Blowfish::Iv kModificationIv;

// The program key: the preset area with the seven pieces put in at offsets
// 0, 8, 16, 20, 32, 40 and 48. A fresh copy each call; the caller keeps it.
crypto::SecureBytes programKey();

// The 54-character marker at the start of the tool token's message.
inline constexpr std::size_t kToolTokenMarkerSize = 54;
extern const char kToolTokenMarker[kToolTokenMarkerSize + 1];

// The 4-byte marker at the start of the modification block.
inline constexpr std::size_t kModificationMarkerSize = 4;
extern const unsigned char kModificationMarker[kModificationMarkerSize];

// The tool token's RSA public key (1024 bits, big-endian). The private half
// lives only with the account tools (and in the test data).
inline constexpr std::size_t kToolKeyModulusSize = 128;
extern const unsigned char kToolKeyModulus[kToolKeyModulusSize];
extern const unsigned char kToolKeyExponent[4];

}  // namespace store::fixed
