#pragma once

#include <cstddef>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/tools/account/core/Problem.h"

// The tools' side of the tool token: only the program, which holds the public
// key, makes tokens; only the tools hold the private key that opens them.
namespace account {

// The program key carried by a 128-byte token. TokenInvalid when the bytes do
// not decrypt to a PKCS #1 v1.5 type-2 block of a 118-byte message (wrong
// size, not made with our public key, damaged), TokenWrongMarker when the
// message does not start with the tool-token marker.
Outcome<crypto::SecureBytes> openToolToken(const unsigned char* token, std::size_t size);

}  // namespace account
