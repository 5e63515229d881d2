#pragma once

#include <cstddef>
#include <vector>

#include "lockmere/crypto/SecureBytes.h"

typedef struct evp_pkey_st EVP_PKEY;

namespace crypto {

// An RSA public key built from its modulus and public exponent, used to
// encrypt PKCS #1 v1.5 type-2 blocks that we build ourselves. OpenSSL's own
// padding insists on at least 8 filler bytes; our blocks may carry fewer, so
// the block is made here and OpenSSL only does the raw exponentiation.
class RsaPublicKey {
 public:
  // Both numbers big-endian. Raises CryptoError when OpenSSL refuses them.
  RsaPublicKey(const unsigned char* modulus, std::size_t modulusSize, const unsigned char* exponent,
               std::size_t exponentSize);
  ~RsaPublicKey();
  RsaPublicKey(const RsaPublicKey&) = delete;
  RsaPublicKey& operator=(const RsaPublicKey&) = delete;

  // Bytes of the modulus (128 for a 1024-bit key).
  std::size_t size() const { return size_; }

  // 0x00, 0x02, size() - 3 - messageSize random non-zero filler bytes (each
  // drawn on its own, a zero drawn again), 0x00, the message. Raises
  // CryptoError when the message leaves no room for a filler byte or the
  // random generator fails.
  SecureBytes type2Block(const unsigned char* message, std::size_t messageSize) const;

  // block^e mod n as size() big-endian bytes. The block must be size() bytes
  // and, read as a number, below the modulus.
  std::vector<unsigned char> encryptRaw(const SecureBytes& block) const;

  // encryptRaw(type2Block(message)).
  std::vector<unsigned char> encryptType2(const unsigned char* message, std::size_t messageSize) const;

 private:
  EVP_PKEY* key_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace crypto
