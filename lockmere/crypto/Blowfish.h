#pragma once

#include <array>
#include <cstddef>

#include "lockmere/crypto/SecureBytes.h"

typedef struct evp_cipher_ctx_st EVP_CIPHER_CTX;

namespace crypto {

// Blowfish with one key: single blocks in ECB mode, runs of blocks in CBC mode
// with an IV the caller gives for every call (each call starts a new chain).
// Lengths must be whole blocks; anything else raises CryptoError with
// kInvalidChunkSize. Input and output may be the same buffer.
//
// An object is not safe for use from two threads at once; make one per thread.
class Blowfish {
 public:
  static constexpr std::size_t kBlockSize = 8;
  static constexpr std::size_t kMinKeySize = 1;
  static constexpr std::size_t kMaxKeySize = 56;
  using Iv = std::array<unsigned char, kBlockSize>;

  // Raises CryptoError for a key outside 1..56 bytes, or when OpenSSL's
  // Blowfish cannot be loaded.
  Blowfish(const unsigned char* key, std::size_t keySize);
  ~Blowfish();
  Blowfish(const Blowfish&) = delete;
  Blowfish& operator=(const Blowfish&) = delete;

  void encryptEcb(const unsigned char* in, unsigned char* out, std::size_t size);
  void decryptEcb(const unsigned char* in, unsigned char* out, std::size_t size);
  void encryptCbc(const unsigned char* in, unsigned char* out, std::size_t size, const Iv& iv);
  void decryptCbc(const unsigned char* in, unsigned char* out, std::size_t size, const Iv& iv);

 private:
  enum Slot { EcbEncrypt, EcbDecrypt, CbcEncrypt, CbcDecrypt, SlotCount };
  void run(Slot slot, const unsigned char* in, unsigned char* out, std::size_t size, const unsigned char* iv);
  EVP_CIPHER_CTX* context(Slot slot);

  SecureBytes key_;
  std::array<EVP_CIPHER_CTX*, SlotCount> contexts_{};
};

}  // namespace crypto
